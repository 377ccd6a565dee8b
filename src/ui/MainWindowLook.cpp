// The main window's look: colours, faces, row heights, menu separators, editor names.
#include "ui/MainWindow.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <optional>

namespace ui {

namespace {

const QColor kCream(0xFF, 0xFB, 0xF0);
const QColor kMaroon(0x80, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kSilver(0xC0, 0xC0, 0xC0);

constexpr int kRowHeight = 18;

void SetColours(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette palette = widget->palette();
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        widget->setAutoFillBackground(true);
    }
    if (text.isValid()) {
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Text, text);
    }
    widget->setPalette(palette);
}

void SetPixelFont(QWidget* widget, int pixels, bool bold) {
    QFont font = widget->font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    widget->setFont(font);
}

void SetBase(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

// Separators keep their design caption "-" for the menu relabelling, but styles such as
// Fusion draw a separator's text as a section title, so a stray "-" would stand in every
// separator. They are drawn and measured without it: plain lines.
class SeparatorLineStyle : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (const auto plain = withoutCaption(element, option)) {
            QProxyStyle::drawControl(element, &*plain, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuItem) {
            if (const auto plain = withoutCaption(CE_MenuItem, option)) {
                return QProxyStyle::sizeFromContents(type, &*plain, size, widget);
            }
        }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

private:
    static std::optional<QStyleOptionMenuItem> withoutCaption(ControlElement element,
                                                              const QStyleOption* option) {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || !item ||
            item->menuItemType != QStyleOptionMenuItem::Separator || item->text.isEmpty()) {
            return std::nullopt;
        }
        QStyleOptionMenuItem plain(*item);
        plain.text.clear();
        return plain;
    }
};

// One row of a label list and the editors that stand beside it.
struct LabelRow {
    QTableWidget* list;
    int row;
    QList<QWidget*> editors;
};

QList<LabelRow> LabelRows(const Ui::MainWindow& ui) {
    QList<LabelRow> rows;
    QWidget* const sizeEditors[] = {
        ui.edtPLen, ui.edtPHeight, ui.cmdPClor,    ui.cmdScan, ui.cmdDLamp,    ui.cmdNLamp,
        ui.cmdOE,   ui.cmdDataBit, ui.cmdSContent, ui.cmdCF,   ui.cmdRowOrder, ui.cmdEmptyDisplay,
    };
    for (int row = 0; row < 12; ++row) {
        rows.append({ui.lvSizeSet, row, {sizeEditors[row]}});
    }
    QWidget* const commEditors[] = {ui.cmdComm, ui.cmdBaud, ui.cmdRate, ui.cmdTrans, ui.cmd485Addr};
    for (int row = 0; row < 5; ++row) {
        rows.append({ui.lvCommInterface, row, {commEditors[row]}});
    }
    rows.append({ui.lvIPInfo, 0, {ui.edtIP1, ui.edtIP2, ui.edtIP3, ui.edtIP4}});
    rows.append({ui.lvIPInfo, 1, {ui.edtC1, ui.edtC2, ui.edtC3, ui.edtC4}});
    rows.append({ui.lvIPInfo, 2, {ui.edtGate1, ui.edtGate2, ui.edtGate3, ui.edtGate4}});
    return rows;
}

// One for the whole program, owned by the application so it outlives every menu.
QStyle* MenuStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = new SeparatorLineStyle;
        style->setParent(qApp);
    }
    return style;
}

} // namespace

void MainWindow::styleWindow() {
    const struct {
        QWidget* strip;
        QColor background;
        QColor text;
    } headers[] = {
        {ui_->pnSizeSet, kWhite, kBlue},
        {ui_->pnCommInterface, kCream, kMaroon},
        {ui_->pnIPInfo, kWhite, kBlue},
        {ui_->pnDnsServer, QColor(), kBlue},
        {ui_->pnServerCfg, kCream, kMaroon},
        {ui_->pnInternalCode, QColor(), kBlue},
        {ui_->pnSoftwearVersion, kWhite, kMaroon},
        {ui_->pnMacAddr, QColor(), kBlue},
    };
    for (const auto& header : headers) {
        SetColours(header.strip, header.background, header.text);
        SetPixelFont(header.strip, 15, true);
    }
    SetColours(ui_->pnServer, kCream, QColor());
    SetColours(ui_->rGCfg, QApplication::palette("QMenu").color(QPalette::Window), QColor());

    // Borderless strips that read as part of their header.
    for (QLineEdit* strip :
         {ui_->edtInnerCode_Hex, ui_->edtInnerCode_Dec, ui_->edtVersion, ui_->edtMACAddr}) {
        SetPixelFont(strip, 15, true);
        SetBase(strip, strip->parentWidget()->palette().color(QPalette::Window));
    }

    for (QTableWidget* list : {ui_->lvSizeSet, ui_->lvCommInterface, ui_->lvIPInfo}) {
        list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        list->verticalHeader()->setDefaultSectionSize(kRowHeight);
        list->horizontalHeader()->setDefaultSectionSize(125);
    }

    QTableWidget* devices = ui_->lvModList;
    SetPixelFont(devices, 12, false);
    SetColours(devices, QColor(), kBlue);
    devices->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    devices->verticalHeader()->setDefaultSectionSize(kRowHeight);
    const int widths[] = {60, 100, 150, 120};
    for (int c = 0; c < devices->columnCount(); ++c) {
        devices->setColumnWidth(c, widths[c]);
    }
    devices->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The 60-pixel first column must still hold "Order Num".
    SetPixelFont(devices->horizontalHeader(), 11, false);

    for (QComboBox* combo : panel_.combos) {
        combo->setEditable(false);
    }
}

// Each editor takes the exact height and top of the label row beside it.
void MainWindow::alignLabelRows() {
    for (const LabelRow& label : LabelRows(*ui_)) {
        label.list->ensurePolished();
        const int top =
            label.list->y() + label.list->frameWidth() + label.list->rowViewportPosition(label.row);
        for (QWidget* editor : label.editors) {
            editor->setGeometry(editor->x(), top, editor->width(), kRowHeight);
        }
    }
}

// A screen reader finds no label of its own beside an editor: the captions stand in list rows,
// header strips and radio buttons. So each editor carries its row's caption as its name.
void MainWindow::nameEditors() {
    for (const LabelRow& label : LabelRows(*ui_)) {
        const QTableWidgetItem* cell = label.list->item(label.row, 0);
        const QString caption = cell ? cell->text().trimmed() : QString();
        for (QWidget* editor : label.editors) {
            editor->setAccessibleName(caption);
        }
    }
    const auto name = [](const QString& caption, std::initializer_list<QWidget*> editors) {
        for (QWidget* editor : editors) {
            editor->setAccessibleName(caption.trimmed());
        }
    };
    name(ui_->pnDnsServer->text(), {ui_->edtDNS1, ui_->edtDNS2, ui_->edtDNS3, ui_->edtDNS4});
    name(ui_->rBtnServerIP->text(), {ui_->edtDIP1, ui_->edtDIP2, ui_->edtDIP3, ui_->edtDIP4});
    name(ui_->rBtnServerDomain->text(), {ui_->edtDomain});
    name(ui_->pnServerPort->text(), {ui_->edtDPort});
    name(ui_->pnInternalCode->text(), {ui_->edtInnerCode_Hex, ui_->edtInnerCode_Dec});
    name(ui_->pnSoftwearVersion->text(), {ui_->edtVersion});
    name(ui_->pnMacAddr->text(), {ui_->edtMACAddr});
}

void MainWindow::styleMenus() {
    for (QMenu* menu : findChildren<QMenu*>()) {
        menu->setStyle(MenuStyle());
    }
}

void MainWindow::styleDnsRow(bool manual) {
    for (QLineEdit* dns : {ui_->edtDNS1, ui_->edtDNS2, ui_->edtDNS3, ui_->edtDNS4}) {
        dns->setEnabled(manual);
        SetBase(dns, manual ? kWhite : kSilver);
    }
}

} // namespace ui
