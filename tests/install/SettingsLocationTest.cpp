#include "ui/SettingsLocation.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TEST(SettingsLocation, ABuildTreeProgramKeepsItsSettingsBesideIt) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("build/src/ui"));
    std::filesystem::create_directories(dir.File("prefix/bin"));
    const QString exeDir = Q(dir.File("build/src/ui"));
    const QString configDir = Q(dir.File("config/TavrelREX"));
    EXPECT_FALSE(IsInstalledProgramDir(exeDir, Q(dir.File("prefix/bin"))));
    EXPECT_EQ(ChooseSettingsDir(exeDir, configDir, Q(dir.File("prefix/bin"))), exeDir + "/");
    // Nothing is created to find that out, and the configuration directory is left alone.
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("build/src/ui")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("config")));

    const SettingsLocation location(exeDir, configDir);
    EXPECT_EQ(location.SettingsDir(), exeDir + "/");
    EXPECT_EQ(location.DefaultParameterTargets().first(), exeDir + "/default.apm");
}

TEST(SettingsLocation, AnInstalledProgramKeepsItsSettingsInTheConfigurationDirectory) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("prefix/bin"));
    const QString bin = Q(dir.File("prefix/bin"));
    const QString configDir = Q(dir.File("config/TavrelREX"));
    // Installed into a prefix the user can write (~/.local): still an installed program.
    EXPECT_TRUE(IsInstalledProgramDir(bin, bin));
    EXPECT_TRUE(IsInstalledProgramDir(bin + "/", bin));
    EXPECT_EQ(ChooseSettingsDir(bin, configDir, bin), configDir + "/");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("config/TavrelREX")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("prefix/bin")));
    // The same directory reached through a link.
    std::filesystem::create_directory_symlink(dir.File("prefix/bin"), dir.File("link"));
    EXPECT_TRUE(IsInstalledProgramDir(Q(dir.File("link")), bin));
    EXPECT_TRUE(IsInstalledProgramDir(bin, Q(dir.File("link"))));
}

TEST(SettingsLocation, SystemDirectoriesAreInstalledEvenForRoot) {
    // root can write /usr/bin, so the rights alone would keep the settings there.
    for (const char* system : {"/usr/bin", "/usr/local/bin", "/bin"})
        if (std::filesystem::is_directory(system)) {
            EXPECT_TRUE(IsInstalledProgramDir(Q(system), QStringLiteral("/nonexistent/bin")))
                << system;
        }
    TempDir dir;
    EXPECT_TRUE(IsInstalledProgramDir(Q(dir.File("missing")), QStringLiteral("/nonexistent/bin")));
    // An ordinary directory the user can write is not, whatever the install prefix.
    EXPECT_FALSE(IsInstalledProgramDir(Q(dir.Path().string()), QStringLiteral("/usr/bin")));
}

TEST(SettingsLocation, ADirectoryTheUserCannotWriteIsInstalled) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write any directory";
    TempDir dir;
    std::filesystem::create_directories(dir.File("readonly"));
    std::filesystem::permissions(dir.File("readonly"), std::filesystem::perms::owner_read |
                                                           std::filesystem::perms::owner_exec);
    EXPECT_TRUE(IsInstalledProgramDir(Q(dir.File("readonly")), QStringLiteral("/nonexistent")));
    std::filesystem::permissions(dir.File("readonly"), std::filesystem::perms::owner_all);
}
