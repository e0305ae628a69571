// The registration reads against Wine's registry.
#include "harness.h"

#include "removal/registration.h"

namespace {

std::vector<std::string> Enumerated() {
    std::vector<std::string> names;
    EnumerateComponents(
        [](const char* name, void* context) {
            static_cast<std::vector<std::string>*>(context)->push_back(name);
        },
        &names);
    return names;
}

// The names in the registry's own index order, read without any limit.
std::vector<std::string> IndexOrder() {
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kComponentsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        char name[4096];
        DWORD length = sizeof name;
        if (RegEnumValueA(key, i, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

class Registration : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInstallation();
    }
};

TEST_F(Registration, EnumeratesInIndexOrder) {
    for (const char* name : {"Zeta", "Alpha", "ClientBase", "My Part", ""})
        RegisterComponent(name, "C:\\Q\\x.isu");
    std::vector<std::string> names = Enumerated();
    EXPECT_EQ(IndexOrder(), names);
    EXPECT_EQ(5u, names.size());
}

TEST_F(Registration, ANameTooLongEndsTheEnumerationThere) {
    RegisterComponent("A1", "f");
    RegisterComponent("A2", "f");
    RegisterComponent("A3" + std::string(298, 'n'), "f");
    RegisterComponent("A4", "f");
    std::vector<std::string> order = IndexOrder();
    ASSERT_EQ(4u, order.size());
    ASSERT_EQ(300u, order[2].size());
    EXPECT_EQ((std::vector<std::string>{order[0], order[1]}), Enumerated());

    ResetInstallation();
    RegisterComponent(std::string(255, 'n'), "f");
    EXPECT_EQ((std::vector<std::string>{std::string(255, 'n')}), Enumerated());
}

TEST_F(Registration, AMissingKeyEnumeratesNothing) {
    DeleteValue(HKEY_LOCAL_MACHINE, kComponentsKey, "");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kComponentsKey);
    EXPECT_TRUE(Enumerated().empty());
    char file[kComponentFileSize] = "stale";
    ReadComponentFile(ComponentsKey, "Alpha", file);
    EXPECT_STREQ("", file);
}

TEST_F(Registration, ReadsTheInstallDirectoryUpTo255Characters) {
    char dir[kInstallDirectorySize] = "stale";
    EXPECT_FALSE(ReadInstallDirectory(dir));
    EXPECT_STREQ("", dir);

    SetInstallDirectory(std::string(255, 'd'));
    EXPECT_TRUE(ReadInstallDirectory(dir));
    EXPECT_EQ(std::string(255, 'd'), dir);

    SetInstallDirectory(std::string(256, 'd'));
    EXPECT_FALSE(ReadInstallDirectory(dir));
    EXPECT_STREQ("", dir);

    // Whatever the type, the data is text up to its first NUL.
    SetValue(HKEY_LOCAL_MACHINE, kProductKey, "FilePath", REG_BINARY, std::string("C:\\P\0junk", 9),
             false);
    EXPECT_TRUE(ReadInstallDirectory(dir));
    EXPECT_STREQ("C:\\P", dir);
}

TEST_F(Registration, ReadsAComponentsFileOrNothing) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    SetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "", REG_SZ, "C:\\Q\\unnamed.isu");
    char file[kComponentFileSize];
    ReadComponentFile(ComponentsKey, "Alpha", file);
    EXPECT_STREQ("C:\\Q\\alpha.isu", file);
    ReadComponentFile(ComponentsKey, "alpha", file);
    EXPECT_STREQ("C:\\Q\\alpha.isu", file) << "the registry matches names in any case";
    ReadComponentFile(ComponentsKey, "", file);
    EXPECT_STREQ("C:\\Q\\unnamed.isu", file);
    strcpy(file, "stale");
    ReadComponentFile(ComponentsKey, "Nobody", file);
    EXPECT_STREQ("", file);
    RegisterComponent("Long", std::string(256, 'f'));
    strcpy(file, "stale");
    ReadComponentFile(ComponentsKey, "Long", file);
    EXPECT_STREQ("", file);
}

} // namespace
