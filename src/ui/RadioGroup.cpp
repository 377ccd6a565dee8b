#include "ui/RadioGroup.h"

#include <QButtonGroup>
#include <QChildEvent>
#include <QRadioButton>

namespace ui {

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent) {}

void TRadioGroup::childEvent(QChildEvent* event) {
    // Items are added by the form after construction; collect them again on next use.
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved) {
        collected_ = false;
    }
    QGroupBox::childEvent(event);
}

void TRadioGroup::collectItems() const {
    if (collected_) {
        return;
    }
    collected_ = true;
    if (group_ == nullptr) {
        auto* self = const_cast<TRadioGroup*>(this);
        group_ = new QButtonGroup(self);
        connect(group_, &QButtonGroup::idClicked, self, [self](int id) {
            if (id != self->lastIndex_) {
                self->lastIndex_ = id;
                emit self->clicked();
            }
        });
    }
    for (QAbstractButton* button : group_->buttons()) {
        group_->removeButton(button);
    }
    items_ = findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (int i = 0; i < items_.size(); ++i) {
        group_->addButton(items_[i], i);
    }
    lastIndex_ = group_->checkedId();
}

int TRadioGroup::count() const {
    collectItems();
    return static_cast<int>(items_.size());
}

int TRadioGroup::itemIndex() const {
    collectItems();
    return group_->checkedId();
}

void TRadioGroup::setItemIndex(int index) {
    collectItems();
    if (index >= 0 && index < items_.size()) {
        items_[index]->setChecked(true);
    } else if (QAbstractButton* checked = group_->checkedButton()) {
        // An exclusive group refuses to lose its last checked button.
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
    lastIndex_ = group_->checkedId();
}

QRadioButton* TRadioGroup::item(int index) const {
    collectItems();
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QString TRadioGroup::itemText(int index) const {
    QRadioButton* button = item(index);
    return button ? button->text() : QString();
}

void TRadioGroup::setItemText(int index, const QString& text) {
    if (QRadioButton* button = item(index)) {
        button->setText(text);
    }
}

} // namespace ui
