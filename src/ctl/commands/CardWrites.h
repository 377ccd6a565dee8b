#pragma once
// The run that write and apply share: each card read, changed, written and confirmed, with the
// progress on a terminal; or, with --dry-run, the datagrams only printed. The commands differ
// only in the cards and in the change each card gets.

#include "ctl/Subcommand.h"
#include "fleet/BatchWriter.h"
#include "fleet/CardFamily.h"
#include "fleet/Profile.h"

#include <string>
#include <vector>

namespace ctl {

class CardWriteRun : public CommandRun {
public:
    // `name` is the command's in the --timing line.
    CardWriteRun(Command command, const RunContext& context, QString name,
                 std::vector<fleet::CardTarget> cards);
    ~CardWriteRun() override;

protected:
    // The change of card `index` on its panel as read, or why it cannot be made.
    virtual std::optional<fleet::Refusal> change(protocol::PanelModel& panel,
                                                 std::size_t index) const = 0;

private:
    void begin() override;
    void cancel() override;

    std::optional<std::string> changeMessage(protocol::PanelModel& panel, std::size_t index) const;
    void runBatch();
    void runDryRun();
    void cardFinished(std::size_t index);
    void batchDone();
    void drawProgress();
    void clearProgress();

    QString name_;
    std::vector<fleet::CardTarget> cards_;
    fleet::CardFamily family_;
    std::unique_ptr<fleet::BatchWriter> batch_;
    fleet::TimerId progressTimer_ = 0;
    bool progressShown_ = false;
};

} // namespace ctl
