#pragma once
// The search dialog: counts a search down while answers fill its list.

#include "discovery/dialogs/DeviceRowColour.h"
#include "lang/Catalogue.h"
#include "protocol/SearchAnswer.h"

#include <QDialog>
#include <functional>

class QAbstractItemView;
class QTimer;
class QTreeWidget;

namespace Ui {
class SearchDialog;
}

namespace discovery {

// Texts of the dialog in the language in force (lookup number, key).
using CatalogueLookup = std::function<QString(lang::Lookup, const char*)>;

class SearchDialog : public QDialog {
    Q_OBJECT

public:
    SearchDialog(int countdownStart, const CatalogueLookup& text, QWidget* parent = nullptr);
    ~SearchDialog() override;

    // Appends one found card as a row; numbering and colours follow the row's position.
    void addRow(const protocol::DeviceEntry& entry);
    QTreeWidget* list() const;
    // The same list for code that only needs a view (column captions).
    QAbstractItemView* listView() const;
    int remainingSeconds() const { return RemainingSeconds; }

    // Runs on every way of closing, before the dialog is destroyed.
    std::function<void(SearchDialog&)> onFormClose;

public slots:
    void tSTimeTimer();
    void btStopClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void FormShow();
    void fitColumns();
    void FormClose();

    Ui::SearchDialog* ui;
    QTimer* tSTime;
    int countdownStart_;
    int RemainingSeconds = 0;
    bool closed_ = false;
};

} // namespace discovery
