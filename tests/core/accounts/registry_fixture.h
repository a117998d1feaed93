#pragma once
// A data root in a temporary folder with the shipped empty account list and message catalogue,
// and a registry that reports into a recording reporter.

#include <gtest/gtest.h>

#include <string>

#include "core/accounts/account_registry.h"
#include "core/config/error_msg_dialog.h"
#include "core/util/files.h"
#include "core/util/reporter.h"
#include "support/temp_dir.h"

namespace zirvo {

class RegistryTest : public ::testing::Test {
protected:
    RegistryTest()
        : m_root("accounts"),
          m_messages(std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/ErrorMsg.xml", m_reporter),
          m_registry(m_root.PathOf("config/userConfig.xml"), m_messages) {
        std::string shipped;
        EXPECT_TRUE(ReadFileBytes(
            std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/config/userConfig.xml", shipped));
        m_root.WriteFile("config/userConfig.xml", shipped);
    }

    static NewAccount MakeAccount(const std::string& name, const std::string& password = "pw") {
        NewAccount account;
        account.name = name;
        account.description = "描述 " + name;
        account.xmlrpcUrl = "http://127.0.0.1/xmlrpc.php";
        account.port = "80";
        account.apiType = "MetaWeblog";
        account.userName = "user-" + name;
        account.password = password;
        account.blogUrl = "http://127.0.0.1/" + name;
        account.encodeType = "UTF-8";
        return account;
    }

    std::string ConfigPath() const { return m_root.PathOf("config/userConfig.xml"); }
    std::string ConfigBytes() const {
        std::string bytes;
        ReadFileBytes(ConfigPath(), bytes);
        return bytes;
    }
    void WriteConfig(const std::string& bytes) { m_root.WriteFile("config/userConfig.xml", bytes); }

    test::TempDir m_root;
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages;
    CAccountRegistry m_registry;
};

}  // namespace zirvo
