#pragma once
// The account registry: every read and write of config/userConfig.xml.
//
// File format: root `accounts`, one `account` element per account in creation order. The
// children of an account, in the order AddAccount writes them, all element text:
//   expanded (0/1, the blog tree node is open), name (unique, compared exactly), description,
//   xmlrpcurl, port (decimal text), blogapitype ("Blogger", "MetaWeblog", "MovableType",
//   "MSN Spaces"), username, password (scrambled, see password_scramble.h), blogurl,
//   encodetype ("UTF-8" or "GB2312"), getrecentpostsnum (decimal), localloginverify (0 off,
//   1 blog password, 2 local password), accountpassword (plain), normalexit, autosavetime,
//   editorindex, editorinputfun, editoroutputfun, logxsl, wndposleft, wndpostop, wndposright,
//   wndposbottom, relation (a list of `accountname` children: accounts this one may publish
//   to together without asking for their passwords).
// Names, descriptions and every other text go in escaped by the XML writer, so any text the
// user types reads back unchanged. An account is found by comparing the text of each
// account's `name` child with the wanted name; no part of the name is ever spliced into a path.
//
// Every operation loads the file afresh, changes it and saves it whole (atomically: a failed
// save leaves the previous file); nothing is cached. Each returns 1 on success and 0 on failure
// after showing the message: 6000 when the file cannot be loaded, 6001 when the account or one
// of its elements is missing or the save fails (6006 for DeleteAccount). A write that fails
// part-way saves nothing. Values read before a failure stay in the output record.
//
// Threading: any thread; no state is kept between calls. Two processes may write the file;
// the later save wins.

#include <string>
#include <vector>

#include "core/accounts/account_records.h"
#include "core/config/error_msg_dialog.h"

namespace zirvo {

class CXmlDocument;
class XmlNode;

// Whether WriteAccount also writes the record's name (the main program renames this way; the
// editor never renames).
enum class AccountNameWrite { kKeep, kRename };

class CAccountRegistry {
public:
    CAccountRegistry(std::string path, CErrorMsgDialog& messages);

    // Appends a new account with every element at its initial value. A name that is already
    // registered is refused with the message box "已经有这个账户名了!" and nothing is written.
    int AddAccount(const NewAccount& account);

    int ReadAccount(const std::string& name, AccountInfo& out);
    // Writes xmlrpcurl, port, blogapitype, username, password, blogurl, encodetype and, with
    // kRename, the record's name. A new name must pass the wizard's name checks and must not be
    // another account's name (message box, nothing written).
    int WriteAccount(const std::string& name, const AccountInfo& in,
                     AccountNameWrite nameWrite = AccountNameWrite::kKeep);

    // One child element's text, e.g. "description", "getrecentpostsnum", "logxsl". The key
    // "password" is unscrambled on reading and scrambled on writing; writing "name" refuses
    // another account's name like WriteAccount does.
    int ReadAccountValue(const std::string& name, const std::string& key, std::string& value);
    int WriteAccountValue(const std::string& name, const std::string& key,
                          const std::string& value);

    int ListAccounts(std::vector<AccountListEntry>& out);
    // The names only, in file order.
    int ListAccountNames(std::vector<std::string>& out);
    // `position` counts accounts from 0 in file order.
    int SetAccountExpanded(int position, int value);

    int ReadLoginSettings(const std::string& name, LoginSettings& out);
    // Writes `localloginverify`, and `accountpassword` only when mode is not 0.
    int WriteLoginSettings(const std::string& name, int mode, const std::string& accountPassword);

    int ReadRelations(const std::string& name, std::vector<std::string>& out);
    // Replaces the account's `relation` list by the given names, in order.
    int WriteRelations(const std::string& name, const std::vector<std::string>& names);

    int ReadEditorWindowPos(const std::string& name, EditorWindowPos& out);
    int WriteEditorWindowPos(const std::string& name, const EditorWindowPos& pos);

    // Removes the account and every `accountname` entry naming it in other accounts' relations.
    int DeleteAccount(const std::string& name);

    const std::string& Path() const { return m_path; }
    CErrorMsgDialog& Messages() const { return m_messages; }

private:
    bool Load(CXmlDocument& doc);
    bool Save(const CXmlDocument& doc, int failureNumber);
    // Another account than `except` already carries `newName`: shows the message box.
    bool NameTakenByOther(const CXmlDocument& doc, const std::string& newName,
                          const std::string& except);

    std::string m_path;
    CErrorMsgDialog& m_messages;
};

// The element of the account named `name` (exact comparison), or a null node.
XmlNode FindAccountElement(const CXmlDocument& doc, const std::string& name);

}  // namespace zirvo
