#include "net/AdapterDialog.h"

#include "lang/Catalogue.h"
#include "lang/QtText.h"
#include "platform/MessageBox.h"
#include "platform/ScreenScale.h"
#include "protocol/Encoding.h"
#include "ui_AdapterDialog.h"

#include <QHeaderView>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QStyledItemDelegate>

namespace net {

namespace {

constexpr int kColumnWidths[] = {5, 200, 100, 130};

// QTreeWidget draws no grid of its own.
class GridDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(QColor(0xD9, 0xD9, 0xD9));
        const QRect r = option.rect;
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->restore();
    }
};

} // namespace

TextLookup CatalogueLookup(const lang::Catalogues& catalogues) {
    return [&catalogues](lang::Lookup lookup, const QString& key) {
        return lang::QtText(catalogues, lookup, key.toStdString());
    };
}

namespace {

// The card strips' trimming rule, so an address compares the same here as on the wire.
QString TrimControl(const QString& text) {
    return QString::fromStdString(std::string(protocol::TrimControl(text.toStdString())));
}

} // namespace

AdapterDialog::AdapterDialog(TextLookup texts, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AdapterDialog>()), texts_(std::move(texts)) {
    ui_->setupUi(this);
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) &
                   ~Qt::WindowContextHelpButtonHint);
    ApplyScale(platform::ScreenScaleFactor(screen()));

    QTreeWidget* list = ui_->lvNetCard;
    list->header()->setMinimumSectionSize(kColumnWidths[0]);
    for (int column = 0; column < 4; ++column) {
        list->setColumnWidth(column, kColumnWidths[column]);
        if (column > 0) {
            list->headerItem()->setTextAlignment(column, Qt::AlignCenter);
        }
    }
    list->header()->setSectionsMovable(false);
    list->setItemDelegate(new GridDelegate(list));
    QFont font = list->font();
    font.setPixelSize(12);
    list->setFont(font);
    // White, and the chosen row stays marked when the focus is on the button.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, Qt::white);
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    list->setPalette(palette);

    connect(list, &QTreeWidget::itemClicked, this, &AdapterDialog::lvNetCardClick);
    // Arrow keys pick a row too; otherwise OK would hand back a row the operator left.
    connect(list, &QTreeWidget::itemSelectionChanged, this, &AdapterDialog::lvNetCardClick);
    connect(ui_->btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

AdapterDialog::AdapterDialog(const lang::Catalogues& catalogues, QWidget* parent)
    : AdapterDialog(CatalogueLookup(catalogues), parent) {}

AdapterDialog::~AdapterDialog() = default;

QTreeWidget* AdapterDialog::lvNetCard() const {
    return ui_->lvNetCard;
}
QCheckBox* AdapterDialog::cbNotShow() const {
    return ui_->cbNotShow;
}
QPushButton* AdapterDialog::btnOK() const {
    return ui_->btnOK;
}

void AdapterDialog::FillAdapters(const QList<TAdapterInfo>& list, const QString& localAddress) {
    filling_ = true;
    QTreeWidget* view = ui_->lvNetCard;
    view->clear();
    const QString local = TrimControl(localAddress);
    for (const TAdapterInfo& adapter : list) {
        auto* row = new QTreeWidgetItem(
            view, {QString(), adapter.Description, adapter.IPAddress, adapter.MacAddress});
        for (int column = 1; column < 4; ++column) {
            row->setTextAlignment(column, Qt::AlignCenter);
        }
        if (TrimControl(adapter.IPAddress) == local) {
            view->setCurrentItem(row);
            chosenAddress_ = local;
        }
    }
    filling_ = false;
}

void AdapterDialog::lvNetCardClick() {
    if (filling_) {
        return;
    }
    const QList<QTreeWidgetItem*> selected = ui_->lvNetCard->selectedItems();
    if (!selected.isEmpty()) {
        chosenAddress_ = TrimControl(selected.front()->text(2));
    }
}

void AdapterDialog::ApplyScale(double factor) {
    platform::ScaleFixedSize(this, factor);
}

void AdapterDialog::ApplyTexts() {
    const auto text = [this](const char* key) {
        return texts_ ? texts_(kLookup, QString::fromLatin1(key)) : QString();
    };
    setWindowTitle(text("netWorkChoice"));
    ui_->cbNotShow->setText(text("cbNotShow"));
    ui_->btnOK->setText(text("btnOK"));
    QTreeWidgetItem* header = ui_->lvNetCard->headerItem();
    header->setText(1, text("netWorkAdapter"));
    header->setText(2, text("IPAddress"));
    header->setText(3, text("macAddress"));
}

void AdapterDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        ApplyTexts();
        platform::CentreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void AdapterDialog::done(int result) {
    if (ui_->lvNetCard->selectedItems().isEmpty()) {
        platform::inform(this,
                         texts_ ? texts_(kLookup, QStringLiteral("dlg_not_choice")) : QString());
        return;
    }
    QDialog::done(result);
}

} // namespace net
