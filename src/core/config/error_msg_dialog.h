#pragma once
// The numbered message dialog ("提示信息") as the core sees it: the catalogue look-up in
// ErrorMsg.xml and the hand-over of the texts to the front end's IMessageReporter.
//
// ErrorMsg.xml: root `error`, one `msg` per number with the children `id` (decimal number),
// `pos` (0 local, 1 server side, 2 network), `summary` and `description`. An entry is found with
// `/error/msg[id="N"]/pos`. The file is read afresh on every look-up.
//
// Threading: any thread; the reporter decides where the dialog is shown.

#include <string>

#include "core/util/reporter.h"

namespace zirvo {

class CErrorMsgDialog {
public:
    CErrorMsgDialog(std::string cataloguePath, IMessageReporter& reporter);

    // Looks the number up and shows the dialog. A number without an entry (or an unreadable
    // catalogue) first shows the message box "找不到对应的错误信息", then the dialog with only
    // the number.
    void ShowById(int number);
    // Shows the dialog with the given texts (server faults).
    void ShowText(int number, int pos, const std::string& summary, const std::string& description);
    // A plain message box.
    void ShowMessageBox(const std::string& text);

    // The catalogue entry for `number`; false when the catalogue or the entry is missing.
    bool LookUp(int number, ErrorMessage& out) const;

    IMessageReporter& Reporter() const { return m_reporter; }
    const std::string& CataloguePath() const { return m_cataloguePath; }

private:
    std::string m_cataloguePath;
    IMessageReporter& m_reporter;
};

}  // namespace zirvo
