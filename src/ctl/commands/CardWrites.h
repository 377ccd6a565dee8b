#pragma once
// The run that write, apply and restore share: a search first, each card read and changed, the
// checks over every planned card before the first write, then per card a backup, a journal
// line, the write and its confirmation, with the progress on a terminal. A dry run stops after
// the checks and prints what would change. The commands differ in their cards and in the
// change each card gets.

#include "ctl/Subcommand.h"
#include "fleet/BatchWriter.h"
#include "fleet/CardFamily.h"
#include "fleet/Preflight.h"
#include "fleet/Profile.h"
#include "fleet/Records.h"
#include "fleet/Search.h"

#include <string>
#include <vector>

namespace ctl {

// The options of the run that write, apply and restore share, and what they give the command.
// `cardLists` offers --to-file and --to-found; `base` the dry run without cards.
struct RunOptionsOf {
    bool cardLists = true;
    bool base = true;
    bool noSearch = true;
};
void AddRunOptions(OptionSet& options, lang::LanguageId language, RunOptionsOf which);
std::optional<QString> TakeRunOptions(const OptionSet& options, const FileReader& readFile,
                                      RunOptionsOf which, Command& command);

class CardWriteRun : public CommandRun {
public:
    // `name` is the command's in the --timing line.
    CardWriteRun(Command command, const RunContext& context, QString name);
    ~CardWriteRun() override;

protected:
    // Fills cards_ once the search has ended (`found` is empty without one). False when there
    // is nothing to write: the run has then been finished with its status.
    virtual bool chooseCards(const std::vector<protocol::DeviceEntry>& found);
    // The change of card `index` on its panel as read, or why it cannot be made, in the
    // operator's language.
    virtual std::optional<std::string> change(protocol::PanelModel& panel,
                                              std::size_t index) const = 0;
    // Whether a change that would refuse any card is refused before anything is sent, on an
    // empty panel: not when each card has a change of its own.
    virtual bool probeFirst() const { return true; }

    // Refuses the run before anything is sent.
    void refuse(const QString& message);
    std::optional<std::string> profileRefusal(const std::optional<fleet::Refusal>& refusal) const;

    std::vector<fleet::CardTarget> cards_;
    // Beyond the outcomes of the cards: a backup whose card did not answer the search.
    int otherStatus_ = 0;

private:
    void begin() override;
    void cancel() override;

    void startSearch();
    void searchDone();
    void startBatch();
    bool approve(const std::vector<fleet::CardOutcome>& outcomes);
    void reportFindings();
    std::optional<std::string> beforeSend(std::size_t index, const fleet::CardOutcome& outcome);
    void journalFailed(const QString& error);
    void cardFinished(std::size_t index);
    void batchDone();
    void printDryRun();
    void printTiming();
    void runDryRunFromBase();
    void drawProgress();
    void clearProgress();

    QString name_;
    fleet::CardFamily family_;
    std::unique_ptr<fleet::Search> search_;
    std::vector<protocol::DeviceEntry> found_;
    std::unique_ptr<fleet::BatchWriter> batch_;
    std::unique_ptr<fleet::RunRecord> record_;
    std::vector<QString> backups_; // per card, once saved
    std::vector<bool> sentLogged_; // a "sent" line waits for its outcome
    std::vector<fleet::PlannedCard> planned_;
    std::vector<fleet::Finding> findings_;
    bool refusedByChecks_ = false;
    bool journalFailed_ = false;
    std::int64_t searchEndedMs_ = -1;
    std::int64_t approvedMs_ = -1;
    fleet::TimerId progressTimer_ = 0;
    bool progressShown_ = false;
};

// The worse of two exit statuses: 3 over 4 over 2 over 0.
int WorseStatus(int a, int b);

} // namespace ctl
