#include "ui/MainWindow.h"

#include "Version.h"
#include "discovery/LocalAddress.h"
#include "discovery/UdpEndpoint.h"
#include "discovery/dialogs/SearchByIpDialog.h"
#include "discovery/dialogs/SearchDialog.h"
#include "fleet/DataFolder.h"
#include "fleet/LocalSubnets.h"
#include "fleet/Search.h"
#include "fleet/WriteCycle.h"
#include "net/AdapterChoice.h"
#include "net/AdapterDialog.h"
#include "platform/MessageBox.h"
#include "platform/ScreenScale.h"
#include "ui/AboutDialog.h"
#include "ui/LanguageChoice.h"
#include "ui/RadioGroup.h"
#include "ui_MainWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>

// Resources of a static library are registered by hand, outside any namespace.
static void InitUiResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ui {

namespace {

constexpr int kNetworkStepLatestMs = 1000;

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
    // A coarse timer may fire 5% early; the five-second wait before the read-back is a
    // promise to the card, so it must not be cut short.
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
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
    setUpManyCardCommands();
    styleMenus();

    // The intervals are the engine's, which ledcardctl and the batch writer keep as well.
    tSendSpan_ = MakeTimer(this, "tSendSpan", fleet::SearchTiming::kRequestIntervalMs);
    tDelay_ = MakeTimer(this, "tDelay", fleet::WriteCycle::kDelayMs);
    tMody_ = MakeTimer(this, "tMody", fleet::WriteCycle::kRecheckMs);

    if (hooks_.endpoint) {
        endpoint_ = hooks_.endpoint;
    } else {
        auto own = std::make_unique<discovery::UdpEndpoint>();
        own->setObjectName(QStringLiteral("UDPBSer"));
        endpoint_ = own.get();
        ownEndpoint_ = std::move(own);
    }
    session_ = std::make_unique<session::CardSession>(
        *endpoint_, *this, session::SessionTimers{tSendSpan_, tDelay_, tMody_}, catalogues());
    session_->askSearchAddress = [this] { return searchByIpDialog_->ask(); };
    session_->localSubnets = [this] { return localSubnets(); };
    // Every datagram passes the router: a batch takes its own cards' replies, the window the
    // rest, so a single card's write and a batch never take each other's replies.
    router_ = std::make_unique<fleet::DatagramRouter>(*endpoint_);
    router_->unclaimed = [this](const QByteArray& datagram) { UDPBSerUDPRead(datagram); };
    // One write at a time from the window: several cards wait until a single card's write has
    // been confirmed or has failed, so its outcome is not buried under the batch's.
    connect(session_.get(), &session::CardSession::writePhaseChanged, this,
            [this](session::CardSession::WritePhase phase) {
                const bool idle = phase == session::CardSession::WritePhase::Idle;
                ui_->menu_sub_write_several_cards->setEnabled(idle);
                ui_->menu_sub_restore_backup->setEnabled(idle);
            });
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
    router_.reset();
}

void MainWindow::FormCreate() {
    VersionText = QLatin1String(ledcardcfg::kVersionText);
    scanModes_ = protocol::ScanModeTable{};
    SetComboItems(ui_->cmd485Addr, Numbers1To99());
    LocalAddress = LookupLocalAddress();
}

void MainWindow::setDataFolder(const QString& folder) {
    dataFolder_ = folder;
    session_->setDataFolder(folder);
}

QString MainWindow::dataFolder() const {
    return dataFolder_.isEmpty() ? fleet::DataFolder() : dataFolder_;
}

std::vector<fleet::LocalSubnet> MainWindow::localSubnets() const {
    return hooks_.localSubnets ? hooks_.localSubnets(LocalAddress)
                               : fleet::LocalSubnetsOf(LocalAddress);
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
    installDigitFilter();
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
    platform::CentreOnScreen(this);

    const LanguageChoice choice = ChooseLanguage(settings_.LgType, LocaleLanguageCode(userLocale_));
    ui_->menu_sub_simplechn->setVisible(choice.visibleChinese == ChineseMenuItem::Simplified);
    ui_->menu_sub_traditionalchn->setVisible(choice.visibleChinese == ChineseMenuItem::Traditional);
    ApplyLanguage(true, choice.language);

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

void MainWindow::cbDNSAddrClick() {
    const bool manual = ui_->cbDNSAddr->isChecked();
    styleDnsRow(manual);
    ui_->cbDNSAddr->setText(
        catalogueText(lang::Lookup::DnsCaptions, manual ? "item_dns_set" : "item_auto_get"));
}

void MainWindow::rGCfgClick() {
    ui_->cbDNSAddr->setChecked(ui_->rGCfg->itemIndex() != 1);
    cbDNSAddrClick();
}

void MainWindow::menu_sub_simplechnClick() {
    ApplyLanguage(true, lang::LanguageId::SimplifiedChinese);
}
void MainWindow::menu_sub_traditionalchnClick() {
    ApplyLanguage(true, lang::LanguageId::TraditionalChinese);
}
void MainWindow::menu_sub_englishClick() {
    ApplyLanguage(true, lang::LanguageId::English);
}

void MainWindow::menu_sub_exitClick() {
    close();
}

void MainWindow::menu_sub_aboutClick() {
    AboutDialog about(this);
    about.setWindowTitle(catalogueText(lang::Lookup::AboutDialog, "item_abort"));
    about.setRightsText(catalogueText(lang::Lookup::AboutDialog, "item_all_rights_reserved"));
    about.exec();
}

void MainWindow::menu_sub_export_listClick() {
    exportDeviceList();
}
void MainWindow::menu_sub_save_parametersClick() {
    saveParameters();
}
void MainWindow::menu_sub_load_parametersClick() {
    loadParameters();
}
void MainWindow::menu_sub_write_several_cardsClick() {
    writeSeveralCards();
}
void MainWindow::menu_sub_restore_backupClick() {
    restoreFromBackup();
}

void MainWindow::menu_sub_clear_device_listClick() {
    clearDeviceList();
}

void MainWindow::menu_sub_search_deviceClick() {
    session_->searchAllCards();
}
void MainWindow::menu_sub_search_device_assign_ipClick() {
    session_->searchAtAddress();
}

void MainWindow::menu_sub_networkClick() {
    net::NetworkMenuCommand(
        *adapterDialog_, LocalAddress, settings_.IsShowMulNetCard,
        [this](const QString& address) { endpoint_->bindLocalAddress(address); },
        hooks_.showAdapterDialog ? hooks_.showAdapterDialog : net::ExecModal);
}

void MainWindow::btSendClick() {
    session_->submitPanel();
}
void MainWindow::btRefreshClick() {
    session_->refreshCard();
}
void MainWindow::lvModListClick() {
    session_->noteSelectedCard();
}
void MainWindow::lvModListDblClick() {
    session_->readSelectedCard();
}
void MainWindow::tSendSpanTimer() {
    session_->searchSendTick();
}
void MainWindow::tDelayTimer() {
    session_->delayElapsed();
}
void MainWindow::tModyTimer() {
    session_->confirmationTick();
}
void MainWindow::UDPBSerUDPRead(const QByteArray& datagram) {
    session_->receiveDatagram(datagram);
}

void MainWindow::report(Report what, const QString& text) {
    if (what == Report::UpdateConfirmed) {
        platform::inform(this, text);
    } else {
        platform::error(this, text);
    }
}

bool MainWindow::confirm(const QString& text) {
    return platform::ask(this, text, commandText(lang::CommandText::AnswerYes),
                         commandText(lang::CommandText::AnswerNo));
}

void MainWindow::showPanel(const protocol::PanelModel& model) {
    // Setting the check box runs its handler, which brings the DNS row in line.
    WritePanel(model, panel_);
    cbDNSAddrClick();
}

} // namespace ui
