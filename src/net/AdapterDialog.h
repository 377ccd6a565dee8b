#pragma once
// The adapter choice dialog: lists the adapter addresses and hands back the one chosen.

#include "lang/Catalogue.h"
#include "net/AdapterList.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QCheckBox;
class QPushButton;
class QTreeWidget;

namespace Ui {
class AdapterDialog;
}

namespace lang {
class Catalogues;
}

namespace net {

// CatalogueText of the language in force: (lookup number, key) -> text.
using TextLookup = std::function<QString(lang::Lookup, const QString&)>;
// Looks up in `catalogues`, which must outlive the lookup.
TextLookup CatalogueLookup(const lang::Catalogues& catalogues);

class AdapterDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr lang::Lookup kLookup = lang::Lookup::AdapterDialog;

    explicit AdapterDialog(TextLookup texts, QWidget* parent = nullptr);
    explicit AdapterDialog(const lang::Catalogues& catalogues, QWidget* parent = nullptr);
    ~AdapterDialog() override;

    // Replaces the rows; the row whose address is `localAddress` (the last such) is selected and
    // becomes the chosen address. Neither the chosen address nor cbNotShow is reset.
    void FillAdapters(const QList<TAdapterInfo>& list, const QString& localAddress);

    // Empty until a row was pre-selected or picked; kept from one showing to the next.
    const QString& ChosenAddress() const { return chosenAddress_; }

    // Outer size times `factor`, rounded half to even; the constructor applies the screen's.
    void ApplyScale(double factor);

    QTreeWidget* lvNetCard() const;
    QCheckBox* cbNotShow() const;
    QPushButton* btnOK() const;

    // Every way out (OK, the close button, Escape) ends here: refused without a selected row.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void lvNetCardClick();
    void ApplyTexts();

    std::unique_ptr<Ui::AdapterDialog> ui_;
    TextLookup texts_;
    QString chosenAddress_;
    bool filling_ = false;
};

} // namespace net
