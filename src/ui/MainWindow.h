#pragma once
// The main window: parameter panel on the left, device list and card strips on the right.

#include "discovery/Endpoint.h"
#include "fleet/DatagramRouter.h"
#include "fleet/Preflight.h"
#include "lang/Catalogue.h"
#include "lang/Texts.h"
#include "protocol/Addressing.h"
#include "protocol/Panel.h"
#include "protocol/ScanModeTable.h"
#include "protocol/SearchAnswer.h"
#include "session/CardSession.h"
#include "settings/AppSettings.h"
#include "ui/BatchWriteDialog.h"
#include "ui/PanelBinding.h"
#include "ui/WindowFace.h"

#include <QLocale>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QAbstractItemView;
class QAction;
class QComboBox;
class QMenu;
class QTimer;

namespace Ui {
class MainWindow;
}

namespace discovery {
class SearchByIpDialog;
}

namespace net {
class AdapterDialog;
}

namespace ui {

class BatchWriteRun;

inline constexpr int kDesignWidth = 793;
inline constexpr int kDesignHeight = 713;
// Window height when the configuration-mode group and the DNS section are hidden.
inline constexpr int kShortHeight = 630;

class MainWindow : public QMainWindow, public session::SessionView {
    Q_OBJECT

public:
    // Reads the settings before the window is first shown and writes them when it is destroyed.
    struct SettingsHooks {
        std::function<void(settings::AppSettings&)> read;
        std::function<void(const settings::AppSettings&)> write;
    };

    // What the window reaches the network through; tests replace each part.
    struct NetworkHooks {
        discovery::Endpoint* endpoint = nullptr;     // nullptr: the window's own UDP endpoint
        std::function<QString()> lookupLocalAddress; // empty: the host-name lookup
        std::function<void(net::AdapterDialog&)> showAdapterDialog; // empty: modal
        // The subnets of a local address, for the checks before a write; empty:
        // fleet::LocalSubnetsOf.
        std::function<std::vector<fleet::LocalSubnet>(const QString&)> localSubnets;
    };

    explicit MainWindow(QWidget* parent = nullptr);
    MainWindow(QWidget* parent, NetworkHooks hooks);
    ~MainWindow() override;

    // --- state the handlers work on
    settings::AppSettings& settings() { return settings_; }
    const settings::AppSettings& settings() const { return settings_; }
    protocol::ScanModeTable& scanModes() { return scanModes_; }
    const protocol::FoundCards& foundCards() const { return session_->foundCards(); }
    const protocol::SelectedCard& selectedCard() const { return session_->selectedCard(); }
    session::CardSession& session() { return *session_; }
    discovery::Endpoint& UDPBSer() { return *endpoint_; }
    // The endpoint's one receiver: replies of a batch's cards go to the batch, the rest here.
    fleet::DatagramRouter& router() { return *router_; }
    net::AdapterDialog& adapterDialog() { return *adapterDialog_; }
    discovery::SearchByIpDialog& searchByIpDialog() { return *searchByIpDialog_; }
    // The catalogue holder shared with the dialogs and message texts.
    lang::Catalogues& catalogues() const { return lang::GlobalCatalogues(); }
    // CatalogueText of the language in force, as a QString.
    QString catalogueText(lang::Lookup lookup, std::string_view key) const;

    QString VersionText;
    QString LocalAddress;

    // --- the parameter panel
    const PanelWidgets& panel() const { return panel_; }
    void writePanel(const protocol::PanelModel& model) { WritePanel(model, panel_); }
    void ClearParameterPanel() override;

    // Generated widgets by their object names (ui::MainWindow::form().lvModList, ...).
    Ui::MainWindow& form() { return *ui_; }
    QMenu* pMenuItem() const { return pMenuItem_; }
    QTimer* tSendSpan() const { return tSendSpan_; }
    QTimer* tDelay() const { return tDelay_; }
    QTimer* tMody() const { return tMody_; }

    // --- start-up
    void setUserLocale(const QLocale& locale) { userLocale_ = locale; }
    void setSettingsHooks(SettingsHooks hooks) { settingsHooks_ = std::move(hooks); }
    // Writes the settings as the window's end does, for a session that ends without it.
    void writeSettingsNow() { FormDestroy(); }
    // Where backups and the journal go; empty (the default): fleet::DataFolder().
    void setDataFolder(const QString& folder);
    QString dataFolder() const;
    // The card-family profile: DHCP 0 hides the configuration mode and the DNS section and
    // shortens the window; CardColor takes effect at the next ApplyLanguage.
    void applyProfile(const settings::AppSettings& profile);
    // The start-up sequence; runs once, when the window is first shown.
    void FormShow();
    // The network end of the start-up (adapter step, loopback retries, binding) then waits
    // for the window's first paint instead of holding it back; the program entry asks for
    // this, tests mostly want it all done within show().
    void setNetworkAfterFirstPaint(bool after) { networkAfterFirstPaint_ = after; }
    // True once the start-up has bound the endpoint.
    bool networkStartupDone() const { return networkStartupDone_; }

    // --- language
    void ApplyLanguage(bool create, lang::LanguageId id);
    void FillComboFromCatalogue(QComboBox* combo, int first, int last, bool clear);
    void ApplyColumnCaptions(QAbstractItemView* list) override;
    static void SetComboItems(QComboBox* combo, const QString& text);

    // --- the many-card commands (MainWindowManyCards.cpp)
    void exportDeviceList();
    void saveParameters();
    void loadParameters();
    void writeSeveralCards();
    void restoreFromBackup();
    // How the write-to-several-cards dialog is run; empty: modal. A seam for tests.
    std::function<void(BatchWriteDialog&)> runBatchDialog;

    // --- input rules
    // The digit filter every numeric edit forwards its typed characters to.
    void edtPLenKeyPress(QChar& key);

public slots:
    void menu_sub_search_deviceClick();
    void menu_sub_search_device_assign_ipClick();
    void menu_sub_networkClick();
    void menu_sub_clear_device_listClick();
    void menu_sub_simplechnClick();
    void menu_sub_traditionalchnClick();
    void menu_sub_englishClick();
    void menu_sub_exitClick();
    void menu_sub_aboutClick();
    void menu_sub_export_listClick();
    void menu_sub_save_parametersClick();
    void menu_sub_load_parametersClick();
    void menu_sub_write_several_cardsClick();
    void menu_sub_restore_backupClick();
    void btSendClick();
    void btRefreshClick();
    void lvModListClick();
    void lvModListDblClick();
    void tSendSpanTimer();
    void tDelayTimer();
    void tModyTimer();
    void UDPBSerUDPRead(const QByteArray& datagram);
    void cbDNSAddrClick();
    void rGCfgClick();

public:
    // The session's view of the window.
    QWidget* window() override { return this; }
    protocol::PanelModel readPanel() const override { return ReadPanel(panel_); }
    void showPanel(const protocol::PanelModel& model) override;
    int deviceRowCount() const override;
    DeviceRow deviceRow(int row) const override;
    void setDeviceRowIp(int row, const QString& ip) override;
    void clearDeviceList() override;
    void appendDeviceRows(const std::vector<DeviceRow>& rows) override;
    int selectedDeviceRow() const override;
    void selectDeviceRow(int row) override;
    void setWriteBusy(bool busy) override;
    const protocol::ScanModeTable& scanModes() const { return scanModes_; }
    QString captionFor(protocol::Edit edit) const override;
    void report(Report what, const QString& text) override;
    bool confirm(const QString& text) override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    QString LookupLocalAddress() const;
    void startupNetworkStep();
    // Look (MainWindowLook.cpp).
    void styleWindow();
    void styleMenus();
    void styleDnsRow(bool manual);
    void alignLabelRows();
    // Every editor's accessible name: the caption of its row in the language in force.
    void nameEditors();
    void connectHandlers();
    // The numeric edits report their keys to eventFilter (MainWindowKeyFilter.cpp).
    void installDigitFilter();
    void BuildScanModeTable(const QString& staticScanWord);
    QAction* languageItem(lang::LanguageId id) const;
    void setUpManyCardCommands();
    void applyManyCardTexts();
    QString commandText(lang::CommandText which) const;
    const std::vector<DeviceRow>& deviceRows() const { return listed_; }
    // Marks the rows whose card shares its IP with another card, or takes the mark away, in the
    // language in force: the rows at the addresses `ips`, or every row.
    void markSharedAddresses(const std::vector<std::string>& ips = {});
    QStringList deviceColumnCaptions() const;
    void showNewAddresses(const BatchWriteRun& run);
    std::vector<fleet::LocalSubnet> localSubnets() const;
    // What the several-cards dialog is given besides the panel or the backups.
    BatchWriteDialog::Setup setUpSeveralCards(BatchWriteDialog::Setup setup) const;
    void runSeveralCardsDialog(BatchWriteDialog& dialog);

    std::unique_ptr<Ui::MainWindow> ui_;
    PanelWidgets panel_;
    QMenu* pMenuItem_ = nullptr;
    QTimer* tSendSpan_ = nullptr;
    QTimer* tDelay_ = nullptr;
    QTimer* tMody_ = nullptr;
    QList<QObject*> numericEdits_;

    settings::AppSettings settings_;
    SettingsHooks settingsHooks_;
    protocol::ScanModeTable scanModes_;
    NetworkHooks hooks_;
    std::unique_ptr<discovery::Endpoint> ownEndpoint_;
    discovery::Endpoint* endpoint_ = nullptr;
    std::unique_ptr<fleet::DatagramRouter> router_;
    // The device list's cards in row order, as values.
    std::vector<DeviceRow> listed_;
    std::unique_ptr<session::CardSession> session_;
    std::unique_ptr<net::AdapterDialog> adapterDialog_;
    std::unique_ptr<discovery::SearchByIpDialog> searchByIpDialog_;
    QString dataFolder_;
    QLocale userLocale_ = QLocale::system();
    bool formShown_ = false;
    bool networkAfterFirstPaint_ = false;
    bool networkStepWaitsForPaint_ = false;
    bool networkStartupDone_ = false;
};

} // namespace ui
