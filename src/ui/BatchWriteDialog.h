#pragma once
// Writing several cards: the found cards with a check box each, the option of sequential
// addresses, then a table of each card's state, a progress bar, Cancel and a summary.

#include "fleet/DatagramRouter.h"
#include "fleet/Scheduler.h"
#include "lang/Catalogue.h"
#include "lang/Texts.h"
#include "ui/BatchWriteRun.h"

#include <QDialog>
#include <QStringList>
#include <memory>
#include <vector>

class QTableWidget;

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
    };

    BatchWriteDialog(fleet::DatagramRouter& router, Setup setup, QWidget* parent = nullptr);
    ~BatchWriteDialog() override;

    BatchWriteRun& run() { return *run_; }
    QTableWidget* list() const;
    // Rows of the cards being written, in run order.
    const std::vector<int>& runRows() const { return runRows_; }

public slots:
    void btStartClick();
    void btCancelClick();
    void btCloseClick();
    void btExportResultsClick();
    void cbSequentialIpClick();

protected:
    // Closing by Esc or the title bar cancels a run first.
    void reject() override;

private:
    QString text(lang::CommandText which) const;
    void showCard(int index);
    void runFinished();

    std::unique_ptr<Ui::BatchWriteDialog> ui_;
    Setup setup_;
    fleet::QtScheduler scheduler_;
    std::unique_ptr<BatchWriteRun> run_;
    std::vector<int> runRows_;
};

} // namespace ui
