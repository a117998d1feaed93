#include "core/config/error_msg_dialog.h"

#include "core/util/strings.h"
#include "core/util/xml_document.h"

namespace zirvo {

namespace {
constexpr const char* kNoEntryText = "找不到对应的错误信息";
}

CErrorMsgDialog::CErrorMsgDialog(std::string cataloguePath, IMessageReporter& reporter)
    : m_cataloguePath(std::move(cataloguePath)), m_reporter(reporter) {}

bool CErrorMsgDialog::LookUp(int number, ErrorMessage& out) const {
    CXmlDocument doc;
    if (!doc.LoadFile(m_cataloguePath)) {
        return false;
    }
    std::string base = StrFormat("/error/msg[id=\"%d\"]/", number);
    XmlNode pos = doc.SelectNode(base + "pos");
    if (pos.IsNull()) {
        return false;
    }
    out.number = number;
    out.pos = ToInt(pos.Text());
    out.summary = doc.SelectNode(base + "summary").Text();
    out.description = doc.SelectNode(base + "description").Text();
    return true;
}

void CErrorMsgDialog::ShowById(int number) {
    ErrorMessage message;
    if (!LookUp(number, message)) {
        m_reporter.ShowMessageBox(kNoEntryText);
        message = ErrorMessage{};
        message.number = number;
    }
    m_reporter.ShowErrorMessage(message);
}

void CErrorMsgDialog::ShowText(int number, int pos, const std::string& summary,
                               const std::string& description) {
    m_reporter.ShowErrorMessage(ErrorMessage{number, pos, summary, description});
}

void CErrorMsgDialog::ShowMessageBox(const std::string& text) {
    m_reporter.ShowMessageBox(text);
}

}  // namespace zirvo
