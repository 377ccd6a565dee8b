#pragma once
// A group box whose radio buttons act as one choice with an item index, -1 for none.

#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QRadioButton;

namespace ui {

class TRadioGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    int count() const;
    int itemIndex() const;
    // Out-of-range values clear the choice. Does not emit clicked().
    void setItemIndex(int index);
    QString itemText(int index) const;
    void setItemText(int index, const QString& text);
    QRadioButton* item(int index) const;

signals:
    // The operator picked an item other than the current one.
    void clicked();

protected:
    void childEvent(QChildEvent* event) override;

private:
    void collectItems() const;

    mutable QButtonGroup* group_ = nullptr;
    mutable QList<QRadioButton*> items_;
    mutable bool collected_ = false;
    mutable int lastIndex_ = -1;
};

} // namespace ui
