#pragma once
// Writing several cards: the found cards with a check box each, the option of sequential
// addresses, then a table of each card's state, a progress bar, Cancel and a summary. The same
// dialog restores a backup: a row per card of the backup, each written back with its own
// saved values.

#include "fleet/DatagramRouter.h"
#include "fleet/Scheduler.h"
#include "lang/Catalogue.h"
#include "lang/Texts.h"
#include "ui/BatchWriteRun.h"
#include "ui/CardChoice.h"

#include <QDialog>
#include <QStringList>
#include <memory>
#include <vector>

class QKeyEvent;
class QTableWidget;
class QTableWidgetItem;

namespace Ui {
class BatchWriteDialog;
}

namespace ui {

class BatchWriteDialog : public QDialog {
    Q_OBJECT

public:
    struct Setup {
        std::vector<BatchWriteRun::Card> cards; // the device list's rows
        protocol::PanelModel source;            // the panel as shown
        protocol::CardProfile profile;
        QStringList columns; // captions of number, name, MAC and IP in the language in force
        lang::LanguageId language = lang::LanguageId::English;
        // A restore: the backups of `backupFolder`, each to the card of the list with its MAC.
        std::vector<fleet::Profile> backups;
        QString backupFolder;
        std::vector<fleet::LocalSubnet> local; // the subnets of the local address in use
        QString dataFolder; // where backups and the journal go; empty: fleet::DataFolder()
    };

    BatchWriteDialog(fleet::DatagramRouter& router, Setup setup, QWidget* parent = nullptr);
    ~BatchWriteDialog() override;

    BatchWriteRun& run() { return *run_; }
    QTableWidget* list() const;
    // Table rows of the cards being written, in run order, wherever sorting has moved them.
    std::vector<int> runRows() const;
    const CardChoice& choice() const { return *choice_; }
    bool restoring() const { return !setup_.backups.empty(); }

public slots:
    void btStartClick();
    void btCancelClick();
    void btCloseClick();
    void btExportResultsClick();
    void cbSequentialIpClick();
    void btSelectAllClick();
    void btSelectNoneClick();
    void btInvertClick();
    void edtFilterChange(const QString& typed);
    void lvCardsHeaderClick(int column);

protected:
    // Closing by Esc or the title bar cancels a run first.
    void reject() override;
    // Clicks on a box, Space, and the choosing keys in the filter field and the list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One row: a card of the device list, or of a backup (then `backup` is its index in
    // Setup::backups, and a card the list does not hold is not `found`).
    struct Row {
        BatchWriteRun::Card card;
        int backup = -1;
        bool found = true;
    };

    QString text(lang::CommandText which) const;
    void fillRows();
    // The row a table row shows, whatever order the table is in.
    const Row& rowAt(int tableRow) const;
    std::size_t indexAt(int tableRow) const; // the rows_ index a table row shows
    void setRowTip(int tableRow, const QString& tip, const QString& stateTip);
    void markRefusedRows(const std::vector<QStringList>& findings);
    // Before Start: each ticked row's new address and what the run would write to it.
    void previewPlan();
    void showCard(int index);
    void runFinished();
    // The table mirrors the choice: ticks, hidden rows, the count line, the order.
    void showTicks();
    void boxChanged(QTableWidgetItem* item);
    void showOrder();
    void showCounters();
    int tableRowOf(std::size_t row) const;
    bool choosing() const;
    bool chooseByKey(const QKeyEvent& key);

    std::unique_ptr<Ui::BatchWriteDialog> ui_;
    Setup setup_;
    std::vector<Row> rows_;
    std::unique_ptr<CardChoice> choice_;         // over rows_, by index
    std::vector<QTableWidgetItem*> numberItems_; // each row's first cell, by index
    int sortColumn_ = -1;
    bool sortAscending_ = true;
    std::vector<int> markedRows_; // rows_ indices of the cards a refused start marked
    fleet::QtScheduler scheduler_;
    std::unique_ptr<BatchWriteRun> run_;
    std::vector<std::size_t> runCards_; // rows_ indices of the cards being written, run order
};

} // namespace ui
