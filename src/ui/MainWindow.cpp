#include "ui/MainWindow.h"

#include "discovery/LocalAddress.h"
#include "discovery/UdpEndpoint.h"
#include "discovery/dialogs/SearchByIpDialog.h"
#include "discovery/dialogs/SearchDialog.h"
#include "net/AdapterChoice.h"
#include "net/AdapterDialog.h"
#include "platform/ScreenScale.h"
#include "ui/AboutDialog.h"
#include "ui/CatalogueWidgets.h"
#include "ui/DigitFilter.h"
#include "ui/LanguageChoice.h"
#include "ui/RadioGroup.h"
#include "ui_MainWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOptionMenuItem>
#include <QTimer>
#include <algorithm>
#include <array>
#include <optional>

// Resources of a static library are registered by hand, outside any namespace.
static void InitUiResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ui {

namespace {

const QColor kCream(0xFF, 0xFB, 0xF0);
const QColor kMaroon(0x80, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kSilver(0xC0, 0xC0, 0xC0);

constexpr int kRowHeight = 18;
constexpr int kNetworkStepLatestMs = 1000;

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

QString Numbers1To99() {
    QString text = QStringLiteral("1");
    for (int n = 2; n <= 99; ++n) {
        text += QLatin1Char(',') + QString::number(n);
    }
    return text;
}

QTimer* MakeTimer(QObject* owner, const char* name, int interval) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    return timer;
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

MainWindow::MainWindow(QWidget* parent) : MainWindow(parent, NetworkHooks{}) {}

MainWindow::MainWindow(QWidget* parent, NetworkHooks hooks)
    : QMainWindow(parent), ui_(std::make_unique<Ui::MainWindow>()), hooks_(std::move(hooks)) {
    InitUiResources();
    // The face first: the widgets below take it as they are made, instead of measuring
    // their texts in the default font and then again in this one.
    ApplyWindowFace(this);
    ui_->setupUi(this);
    panel_ = PanelWidgets::Find(this);
    Q_ASSERT(panel_.complete());

    pMenuItem_ = new QMenu(this);
    pMenuItem_->setObjectName(QStringLiteral("pMenuItem"));
    pMenuItem_->addActions({ui_->pmiSModm, ui_->N2, ui_->pmiClearList, ui_->N3, ui_->pmiExit});
    // Separators keep their design caption "-", which the menu relabelling skips.
    for (QAction* separator : {ui_->N1, ui_->N4, ui_->N5, ui_->N10, ui_->N2, ui_->N3}) {
        separator->setSeparator(true);
    }
    for (QMenu* menu : findChildren<QMenu*>()) {
        menu->setStyle(MenuStyle());
    }

    tSendSpan_ = MakeTimer(this, "tSendSpan", 1200);
    tDelay_ = MakeTimer(this, "tDelay", 5000);
    tMody_ = MakeTimer(this, "tMody", 2000);

    if (hooks_.endpoint) {
        endpoint_ = hooks_.endpoint;
    } else {
        auto own = std::make_unique<discovery::UdpEndpoint>();
        own->setObjectName(QStringLiteral("UDPBSer"));
        endpoint_ = own.get();
        ownEndpoint_ = std::move(own);
    }
    session_ = std::make_unique<discovery::CardSession>(
        *endpoint_, *this, discovery::SessionTimers{tSendSpan_, tDelay_, tMody_}, catalogues());
    session_->askSearchAddress = [this] { return searchByIpDialog_->ask(); };
    endpoint_->setReceiveHandler([this](const QByteArray& datagram) { UDPBSerUDPRead(datagram); });
    // The two dialogs that live as long as the window; both keep what the operator chose.
    adapterDialog_ = std::make_unique<net::AdapterDialog>(catalogues(), this);
    searchByIpDialog_ = std::make_unique<discovery::SearchByIpDialog>(this);

    styleWindow();
    alignLabelRows();
    nameEditors();
    connectHandlers();
    FormCreate();
}

MainWindow::~MainWindow() {
    FormDestroy();
    // Nothing may reach a half-destroyed window.
    endpoint_->setReceiveHandler({});
}

void MainWindow::FormCreate() {
    VersionText = QLatin1String(kVersionText);
    scanModes_ = protocol::ScanModeTable{};
    SetComboItems(ui_->cmd485Addr, Numbers1To99());
    LocalAddress = LookupLocalAddress();
}

QString MainWindow::LookupLocalAddress() const {
    return hooks_.lookupLocalAddress ? hooks_.lookupLocalAddress()
                                     : discovery::lookupLocalAddress();
}

void MainWindow::FormDestroy() {
    settings_.ServerIP = LocalAddress;
    if (formShown_ && settingsHooks_.write) {
        settingsHooks_.write(settings_);
    }
}

void ApplyWindowFace(QWidget* window) {
    // One face with both Latin and CJK glyphs, so Chinese never falls back to boxes and the
    // three languages share their metrics; the first installed one wins.
    QFont face = window->font();
    face.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("PingFang SC"), QStringLiteral("WenQuanYi Micro Hei")});
    face.setPixelSize(12);
    window->setFont(face);
}

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

void MainWindow::connectHandlers() {
    connect(ui_->btSModm, &QPushButton::clicked, this, &MainWindow::menu_sub_search_deviceClick);
    connect(ui_->menu_sub_search_device, &QAction::triggered, this,
            &MainWindow::menu_sub_search_deviceClick);
    connect(ui_->pmiSModm, &QAction::triggered, this, &MainWindow::menu_sub_search_deviceClick);
    connect(ui_->menu_sub_search_device_assign_ip, &QAction::triggered, this,
            &MainWindow::menu_sub_search_device_assign_ipClick);
    connect(ui_->menu_sub_network, &QAction::triggered, this, &MainWindow::menu_sub_networkClick);
    connect(ui_->menu_sub_clear_device_list, &QAction::triggered, this,
            &MainWindow::menu_sub_clear_device_listClick);
    connect(ui_->pmiClearList, &QAction::triggered, this,
            &MainWindow::menu_sub_clear_device_listClick);
    connect(ui_->menu_sub_simplechn, &QAction::triggered, this,
            &MainWindow::menu_sub_simplechnClick);
    connect(ui_->menu_sub_traditionalchn, &QAction::triggered, this,
            &MainWindow::menu_sub_traditionalchnClick);
    connect(ui_->menu_sub_english, &QAction::triggered, this, &MainWindow::menu_sub_englishClick);
    connect(ui_->menu_sub_exit, &QAction::triggered, this, &MainWindow::menu_sub_exitClick);
    connect(ui_->pmiExit, &QAction::triggered, this, &MainWindow::menu_sub_exitClick);
    connect(ui_->menu_sub_about, &QAction::triggered, this, &MainWindow::menu_sub_aboutClick);
    connect(ui_->btSend, &QPushButton::clicked, this, &MainWindow::btSendClick);
    connect(ui_->btRefresh, &QPushButton::clicked, this, &MainWindow::btRefreshClick);
    connect(ui_->lvModList, &QAbstractItemView::clicked, this, &MainWindow::lvModListClick);
    connect(ui_->lvModList, &QAbstractItemView::doubleClicked, this,
            &MainWindow::lvModListDblClick);
    connect(ui_->lvModList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        pMenuItem_->popup(ui_->lvModList->viewport()->mapToGlobal(at));
    });
    connect(tSendSpan_, &QTimer::timeout, this, &MainWindow::tSendSpanTimer);
    connect(tDelay_, &QTimer::timeout, this, &MainWindow::tDelayTimer);
    connect(tMody_, &QTimer::timeout, this, &MainWindow::tModyTimer);
    // The box's handler runs whenever its state changes, by the operator or by the program.
    connect(ui_->cbDNSAddr, &QCheckBox::toggled, this, &MainWindow::cbDNSAddrClick);
    connect(ui_->rGCfg, &TRadioGroup::clicked, this, &MainWindow::rGCfgClick);

    const protocol::Edit numeric[] = {
        protocol::Edit::PLen,  protocol::Edit::PHeight, protocol::Edit::IP1,
        protocol::Edit::IP2,   protocol::Edit::IP3,     protocol::Edit::IP4,
        protocol::Edit::C1,    protocol::Edit::C2,      protocol::Edit::C3,
        protocol::Edit::C4,    protocol::Edit::Gate1,   protocol::Edit::Gate2,
        protocol::Edit::Gate3, protocol::Edit::Gate4,   protocol::Edit::DNS1,
        protocol::Edit::DNS2,  protocol::Edit::DNS3,    protocol::Edit::DNS4,
        protocol::Edit::DIP1,  protocol::Edit::DIP2,    protocol::Edit::DIP3,
        protocol::Edit::DIP4,  protocol::Edit::DPort,
    };
    for (protocol::Edit e : numeric) {
        panel_[e]->installEventFilter(this);
        numericEdits_.append(panel_[e]);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!numericEdits_.contains(watched)) {
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        const QString typed = TypedCharacters(*static_cast<QKeyEvent*>(event));
        for (QChar c : typed) {
            QChar key = c;
            edtPLenKeyPress(key);
            if (key.isNull()) {
                return true;
            }
        }
    } else if (event->type() == QEvent::InputMethod) {
        // Text composed by an input method is typed too, one character at a time.
        const auto* input = static_cast<QInputMethodEvent*>(event);
        for (QChar c : input->commitString()) {
            QChar key = c;
            edtPLenKeyPress(key);
            if (key.isNull()) {
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::edtPLenKeyPress(QChar& key) {
    FilterDigit(key);
}

QString MainWindow::catalogueText(int lookupNumber, std::string_view key) const {
    return Utf8(catalogues().CatalogueText(lookupNumber, key));
}

void MainWindow::ClearParameterPanel() {
    ui::ClearParameterPanel(panel_);
}

void MainWindow::applyProfile(const settings::AppSettings& profile) {
    settings_ = profile;
    const bool withDns = settings_.DHCP != 0;
    if (!withDns) {
        ui_->rGCfg->setItemIndex(-1);
    }
    ui_->rGCfg->setVisible(withDns);
    ui_->rGCfg->setEnabled(withDns);
    ui_->pnDnsServer->setVisible(withDns);
    ui_->pnDnsMode->setVisible(withDns);
    // The window's minimum height still counts the hidden sections until the layouts have
    // been recomputed, and would stop the window from shrinking.
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    resize(width(), withDns ? kDesignHeight : kShortHeight);
}

void MainWindow::FormShow() {
    if (formShown_) {
        return;
    }
    formShown_ = true;
    if (settingsHooks_.read) {
        settingsHooks_.read(settings_);
    }
    applyProfile(settings_);
    ui_->rBtnServerIP->setChecked(true);

    const double factor = platform::ScreenScaleFactor(screen());
    resize(platform::ScaledSize(width(), factor), height());
    resize(width(), platform::ScaledSize(height(), factor));
    if (const QScreen* where = screen()) {
        move(where->availableGeometry().center() - rect().center());
    }

    const LanguageChoice choice = ChooseLanguage(settings_.LgType, LocaleLanguageCode(userLocale_));
    ui_->menu_sub_simplechn->setVisible(choice.visibleChinese == ChineseMenuItem::Simplified);
    ui_->menu_sub_traditionalchn->setVisible(choice.visibleChinese == ChineseMenuItem::Traditional);
    ApplyLanguage(true, choice.lgType);

    cbDNSAddrClick();
    rGCfgClick();

    session_->setSearchTimes(settings_.SearchTimes);
    session_->setProfile(settings_.cardProfile());
    // A window closed before the network step has run saves the address it started with.
    LocalAddress = settings_.ServerIP;

    if (networkAfterFirstPaint_) {
        networkStepWaitsForPaint_ = true;
        // Should no paint come (a window started minimised, say), the step runs all the same.
        QTimer::singleShot(kNetworkStepLatestMs, this, &MainWindow::startupNetworkStep);
        return;
    }
    startupNetworkStep();
}

void MainWindow::startupNetworkStep() {
    if (networkStartupDone_) {
        return;
    }
    // Set first: the adapter dialog below runs a nested loop, in which the fallback may fire.
    networkStartupDone_ = true;
    networkStepWaitsForPaint_ = false;

    // The local address: the settings' value, the operator's choice among several adapters,
    // or the machine's own address; never loopback while something better can be had.
    const auto lookup = [this] { return LookupLocalAddress(); };
    net::StartupAdapterStep(*adapterDialog_, LocalAddress, settings_.IsShowMulNetCard, lookup,
                            hooks_.showAdapterDialog ? hooks_.showAdapterDialog : net::ExecModal);
    LocalAddress = net::RetryLoopbackAddress(LocalAddress, lookup);
    endpoint_->bindLocalAddress(LocalAddress);
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::Paint && networkStepWaitsForPaint_) {
        networkStepWaitsForPaint_ = false;
        // Queued, so this paint reaches the screen first.
        QTimer::singleShot(0, this, &MainWindow::startupNetworkStep);
    }
    return handled;
}

void MainWindow::showEvent(QShowEvent* event) {
    FormShow();
    QMainWindow::showEvent(event);
}

QAction* MainWindow::languageItem(int id) const {
    switch (id) {
    case 0:
        return ui_->menu_sub_simplechn;
    case 1:
        return ui_->menu_sub_traditionalchn;
    case 2:
        return ui_->menu_sub_english;
    default:
        return nullptr;
    }
}

void MainWindow::ApplyLanguage(bool create, int id) {
    settings_.LgType = id;
    const auto language = lang::LanguageIdFromInt(id);
    if (!language) {
        return;
    }
    if (create && catalogues().apply(*language)) {
        languageItem(id)->setChecked(true);
    }
    const lang::TLanguage* catalogue = catalogues().catalogue(*language);
    if (catalogue == nullptr) {
        return;
    }

    const QString sixBlanks(6, QLatin1Char(' '));
    QLabel* const panels[] = {ui_->pnSizeSet,      ui_->pnCommInterface,   ui_->pnIPInfo,
                              ui_->pnInternalCode, ui_->pnSoftwearVersion, ui_->pnMacAddr,
                              ui_->pnServerCfg,    ui_->pnDnsServer,       ui_->pnServerPort};
    for (std::size_t p = 0; p < std::size(panels); ++p) {
        panels[p]->setText(sixBlanks + Utf8(catalogue->TextAt(0, p)));
    }

    RelabelMenuBar(ui_->mainMenu, *catalogue);

    ui_->pmiSModm->setText(SectionText(*catalogue, 1, "menu_sub_search_device"));
    ui_->pmiClearList->setText(SectionText(*catalogue, 1, "menu_sub_clear_device_list"));
    ui_->pmiExit->setText(SectionText(*catalogue, 1, "menu_sub_exit"));

    const QString twoBlanks(2, QLatin1Char(' '));
    QPushButton* const buttons[] = {ui_->btSModm, ui_->btSend, ui_->btRefresh};
    for (std::size_t b = 0; b < std::size(buttons); ++b) {
        buttons[b]->setText(twoBlanks + Utf8(catalogue->TextAt(2, b)));
    }

    const std::pair<QTableWidget*, int> labelLists[] = {
        {ui_->lvSizeSet, 3}, {ui_->lvCommInterface, 4}, {ui_->lvIPInfo, 5}};
    for (const auto& [list, section] : labelLists) {
        int row = 0;
        for (const std::string& caption : catalogue->RowCaptions(section)) {
            if (row >= list->rowCount()) {
                break;
            }
            if (QTableWidgetItem* cell = list->item(row, 0)) {
                cell->setText(Utf8(caption));
            } else {
                list->setItem(row, 0, new QTableWidgetItem(Utf8(caption)));
            }
            ++row;
        }
    }

    FillComboFromCatalogue(ui_->cmdPClor, 0, settings_.CardColor == 3 ? 2 : 1, true);
    FillComboFromCatalogue(ui_->cmdScan, 3, 3, true);
    FillComboFromCatalogue(ui_->cmdDLamp, 4, 5, true);
    FillComboFromCatalogue(ui_->cmdNLamp, 4, 5, true);
    FillComboFromCatalogue(ui_->cmdOE, 6, 7, true);
    FillComboFromCatalogue(ui_->cmdDataBit, 6, 7, true);
    FillComboFromCatalogue(ui_->cmdSContent, 6, 7, true);
    FillComboFromCatalogue(ui_->cmdCF, 8, 10, true);
    FillComboFromCatalogue(ui_->cmdRowOrder, 11, 13, true);
    FillComboFromCatalogue(ui_->cmdComm, 14, 16, true);
    FillComboFromCatalogue(ui_->cmdRate, 17, 19, true);
    FillComboFromCatalogue(ui_->cmdTrans, 20, 23, true);
    FillComboFromCatalogue(ui_->cmdEmptyDisplay, 24, 25, true);
    FillComboFromCatalogue(ui_->cmdRowOrder, 26, 26, false);

    ApplyColumnCaptions(ui_->lvModList);

    setWindowTitle(catalogueText(11, "softwear_title") + QLatin1Char(' ') + VersionText);

    ui_->rBtnServerIP->setText(catalogueText(15, "item_service_IP"));
    ui_->rBtnServerDomain->setText(catalogueText(15, "item_service_domain"));

    for (int i = 0; i < 3; ++i) {
        ui_->rGCfg->setItemText(i, Utf8(catalogue->TextAt(13, static_cast<std::size_t>(i))));
    }

    ui_->cbDNSAddr->setText(
        catalogueText(12, ui_->cbDNSAddr->isChecked() ? "item_dns_set" : "item_auto_get"));

    // Long items do not fit the 165-pixel boxes; their drop-down lists show them whole.
    for (QComboBox* combo : panel_.combos) {
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i) {
            widest = std::max(widest, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
        }
        combo->view()->setMinimumWidth(widest + 24);
    }

    nameEditors();
}

void MainWindow::FillComboFromCatalogue(QComboBox* combo, int first, int last, bool clear) {
    const lang::TLanguage* catalogue = catalogues().current();
    if (catalogue == nullptr) {
        return;
    }
    // Qt chooses the first item of an empty list by itself; the panel wants no choice.
    const int chosen = clear ? -1 : combo->currentIndex();
    if (clear) {
        combo->clear();
    }
    for (int p = first; p <= last; ++p) {
        const QString text = Utf8(catalogue->TextAt(12, static_cast<std::size_t>(p)));
        if (p == 3) {
            BuildScanModeTable(text);
            break;
        }
        combo->addItem(text);
        if (p == 4) {
            for (int level = 1; level <= 6; ++level) {
                combo->addItem(QString::number(level));
            }
        }
    }
    combo->setCurrentIndex(chosen);
}

void MainWindow::BuildScanModeTable(const QString& staticScanWord) {
    QComboBox* scan = ui_->cmdScan;
    const bool wasEmpty = scan->count() == 0;
    const int chosen = scan->currentIndex();
    for (const std::string& name : scanModes_.Build(staticScanWord.toStdString())) {
        scan->addItem(Utf8(name));
    }
    scan->setCurrentIndex(wasEmpty ? -1 : chosen);
}

void MainWindow::ApplyColumnCaptions(QAbstractItemView* list) {
    ui::ApplyColumnCaptions(list, catalogues().current());
}

void MainWindow::SetComboItems(QComboBox* combo, const QString& text) {
    ui::SetComboItems(combo, text);
}

void MainWindow::cbDNSAddrClick() {
    const bool manual = ui_->cbDNSAddr->isChecked();
    for (QLineEdit* dns : {ui_->edtDNS1, ui_->edtDNS2, ui_->edtDNS3, ui_->edtDNS4}) {
        dns->setEnabled(manual);
        SetBase(dns, manual ? kWhite : kSilver);
    }
    ui_->cbDNSAddr->setText(catalogueText(12, manual ? "item_dns_set" : "item_auto_get"));
}

void MainWindow::rGCfgClick() {
    ui_->cbDNSAddr->setChecked(ui_->rGCfg->itemIndex() != 1);
    cbDNSAddrClick();
}

void MainWindow::menu_sub_simplechnClick() {
    ApplyLanguage(true, 0);
}
void MainWindow::menu_sub_traditionalchnClick() {
    ApplyLanguage(true, 1);
}
void MainWindow::menu_sub_englishClick() {
    ApplyLanguage(true, 2);
}

void MainWindow::menu_sub_exitClick() {
    close();
}

void MainWindow::menu_sub_aboutClick() {
    AboutDialog about(this);
    about.setWindowTitle(catalogueText(10, "item_abort"));
    about.setRightsText(catalogueText(10, "item_all_rights_reserved"));
    about.exec();
}

void MainWindow::menu_sub_clear_device_listClick() {
    ui_->lvModList->setRowCount(0);
}

void MainWindow::menu_sub_search_deviceClick() {
    session_->menu_sub_search_deviceClick();
}
void MainWindow::menu_sub_search_device_assign_ipClick() {
    session_->menu_sub_search_device_assign_ipClick();
}

void MainWindow::menu_sub_networkClick() {
    net::NetworkMenuCommand(
        *adapterDialog_, LocalAddress, settings_.IsShowMulNetCard,
        [this](const QString& address) { endpoint_->bindLocalAddress(address); },
        hooks_.showAdapterDialog ? hooks_.showAdapterDialog : net::ExecModal);
}

void MainWindow::btSendClick() {
    session_->btSendClick();
}
void MainWindow::btRefreshClick() {
    session_->btRefreshClick();
}
void MainWindow::lvModListClick() {
    session_->lvModListClick();
}
void MainWindow::lvModListDblClick() {
    session_->lvModListDblClick();
}
void MainWindow::tSendSpanTimer() {
    session_->tSendSpanTimer();
}
void MainWindow::tDelayTimer() {
    session_->tDelayTimer();
}
void MainWindow::tModyTimer() {
    session_->tModyTimer();
}
void MainWindow::UDPBSerUDPRead(const QByteArray& datagram) {
    session_->UDPBSerUDPRead(datagram);
}

void MainWindow::showPanel(const protocol::PanelModel& model) {
    // Setting the check box runs its handler, which brings the DNS row in line.
    WritePanel(model, panel_);
    cbDNSAddrClick();
}

int MainWindow::deviceRowCount() const {
    return ui_->lvModList->rowCount();
}

discovery::SessionView::DeviceRow MainWindow::deviceRow(int row) const {
    const QTableWidget* list = ui_->lvModList;
    const auto text = [&](int column) {
        const QTableWidgetItem* item = list->item(row, column);
        return item ? item->text() : QString();
    };
    return {text(0), text(1), text(2), text(3)};
}

void MainWindow::setDeviceRowIp(int row, const QString& ip) {
    if (QTableWidgetItem* item = ui_->lvModList->item(row, 3)) {
        item->setText(ip);
    }
}

void MainWindow::clearDeviceList() {
    ui_->lvModList->setRowCount(0);
}

void MainWindow::appendDeviceRows(const QList<DeviceRow>& rows) {
    QTableWidget* list = ui_->lvModList;
    list->setUpdatesEnabled(false);
    const int first = list->rowCount();
    list->setRowCount(first + static_cast<int>(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const int row = first + i;
        // Every other row in magenta so neighbouring cards are easy to tell apart.
        const QColor colour = row % 2 == 0 ? QColor(255, 0, 255) : QColor(Qt::blue);
        const QString cells[] = {rows[i].number, rows[i].name, rows[i].mac, rows[i].ip};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setForeground(colour);
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            list->setItem(row, column, item);
        }
    }
    list->setUpdatesEnabled(true);
}

int MainWindow::selectedDeviceRow() const {
    const QList<QTableWidgetItem*> chosen = ui_->lvModList->selectedItems();
    return chosen.isEmpty() ? -1 : chosen.first()->row();
}

void MainWindow::selectDeviceRow(int row) {
    ui_->lvModList->clearSelection();
    ui_->lvModList->selectRow(row);
}

void MainWindow::setWriteBusy(bool busy) {
    ui_->btSModm->setEnabled(!busy);
    ui_->btSend->setEnabled(!busy);
    ui_->btRefresh->setEnabled(!busy);
    if (busy) {
        ui_->lvModList->setCursor(Qt::WaitCursor);
    } else {
        ui_->lvModList->unsetCursor();
    }
}

QString MainWindow::captionFor(protocol::Edit edit) const {
    using protocol::Edit;
    const auto row = [](const QTableWidget* list, int r) {
        const QTableWidgetItem* item = list->item(r, 0);
        return item ? item->text().trimmed() : QString();
    };
    switch (edit) {
    case Edit::PLen:
        return row(ui_->lvSizeSet, 0);
    case Edit::PHeight:
        return row(ui_->lvSizeSet, 1);
    case Edit::IP1:
    case Edit::IP2:
    case Edit::IP3:
    case Edit::IP4:
        return row(ui_->lvIPInfo, 0);
    case Edit::C1:
    case Edit::C2:
    case Edit::C3:
    case Edit::C4:
        return row(ui_->lvIPInfo, 1);
    case Edit::Gate1:
    case Edit::Gate2:
    case Edit::Gate3:
    case Edit::Gate4:
        return row(ui_->lvIPInfo, 2);
    case Edit::DIP1:
    case Edit::DIP2:
    case Edit::DIP3:
    case Edit::DIP4:
        return ui_->rBtnServerIP->text().trimmed();
    case Edit::DNS1:
    case Edit::DNS2:
    case Edit::DNS3:
    case Edit::DNS4:
        return ui_->pnDnsServer->text().trimmed();
    case Edit::DPort:
        return ui_->pnServerPort->text().trimmed();
    default:
        return {};
    }
}

} // namespace ui
