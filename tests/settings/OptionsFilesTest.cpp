#include "settings/FileBytes.h"
#include "settings/SettingsFiles.h"
#include "support/TestFiles.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace shelfwise::settings {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::TemporaryDirectory;
using test::WriteBytes;

// Builds an options file field by field from its layout, independent of the code under test.
class Layout {
public:
    Layout& Word(std::int16_t value) {
        const auto bits = static_cast<std::uint16_t>(value);
        return Byte(bits & 0xFF).Byte(bits >> 8);
    }
    Layout& Byte(std::uint8_t value) {
        bytes_.push_back(value);
        return *this;
    }
    Layout& Scrambled(std::string_view text) {
        static const std::uint8_t key[10] = {0x03, 0x09, 0x11, 0x04, 0x0C,
                                             0x07, 0x02, 0x0D, 0x08, 0x05};
        Byte(static_cast<std::uint8_t>(text.size()));
        for (std::size_t i = 0; i < text.size(); ++i) {
            Byte(static_cast<std::uint8_t>(text[i]) ^ key[i % 10]);
        }
        return *this;
    }
    // 264 bytes: length-prefixed name in 256 bytes, style bits, 3 padding bytes, int32 size.
    Layout& Font(std::string_view name, std::uint8_t style, std::int32_t size) {
        Byte(static_cast<std::uint8_t>(name.size()));
        bytes_.insert(bytes_.end(), name.begin(), name.end());
        bytes_.resize(bytes_.size() + 255 - name.size(), 0);
        Byte(style).Byte(0).Byte(0).Byte(0);
        const auto bits = static_cast<std::uint32_t>(size);
        return Word(static_cast<std::int16_t>(bits & 0xFFFF))
            .Word(static_cast<std::int16_t>(bits >> 16));
    }
    std::size_t Size() const { return bytes_.size(); }
    const Bytes& Get() const { return bytes_; }

private:
    Bytes bytes_;
};

class OptionsFiles : public ::testing::Test {
protected:
    OptionsFiles() {
        settings.ProgramDir = program.Path();
        settings.DataRoot = program.Path();
        SetPublicDir(settings);
        std::filesystem::create_directories(settings.PublicDir);
        settings.DataDir = settings.PublicDir;
    }

    TemporaryDirectory program;
    Settings settings;
};

// ---- security options ----

Bytes SecurityFile(std::int16_t mode, std::int16_t access, std::string_view root,
                   std::int16_t count, std::string_view password) {
    return Layout().Word(mode).Word(access).Scrambled(root).Word(count).Scrambled(password).Get();
}

TEST_F(OptionsFiles, SecurityOptionsWithDataRootAtHomeWriteOneExactFile) {
    settings.PasswordMode = opt::PasswordMode::Required;
    settings.PublicAccess = opt::PublicAccess::ReadOnly;
    settings.UserCount = opt::UserCount::MultiUser;
    settings.SupervisorPassword = "Secret";
    ASSERT_TRUE(WriteSecurityOptions(settings));

    EXPECT_EQ(ReadBytes(program / "options.dat"),
              SecurityFile(0, 2, program.Path().string(), 1, "Secret"));
    auto names = test::FileNamesIn(program.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"DATA", "options.dat"}));

    Settings read;
    read.ProgramDir = program.Path();
    read.DataRoot = program.Path();
    ASSERT_TRUE(ReadSecurityOptions(read));
    EXPECT_EQ(read.PasswordMode, opt::PasswordMode::Required);
    EXPECT_EQ(read.PublicAccess, opt::PublicAccess::ReadOnly);
    EXPECT_EQ(read.UserCount, opt::UserCount::MultiUser);
    EXPECT_EQ(read.SupervisorPassword, "Secret");
    EXPECT_EQ(read.DataRoot, program.Path());
}

TEST_F(OptionsFiles, SecurityOptionsWithOtherDataRootKeepACopyWhoseValuesWin) {
    TemporaryDirectory root;
    settings.DataRoot = root.Path();
    settings.SupervisorPassword = "pw";
    ASSERT_TRUE(WriteSecurityOptions(settings));
    const auto expected = SecurityFile(1, 0, root.Path().string(), 0, "pw");
    EXPECT_EQ(ReadBytes(program / "options.dat"), expected);
    EXPECT_EQ(ReadBytes(root / "options.dat"), expected);

    // The copy was changed by another installation; it names a third directory as its root.
    WriteBytes(root / "options.dat", SecurityFile(0, 3, "/nowhere/else", 1, "other"));
    Settings read;
    read.ProgramDir = program.Path();
    read.DataRoot = program.Path();
    ASSERT_TRUE(ReadSecurityOptions(read));
    EXPECT_EQ(read.DataRoot, root.Path());
    EXPECT_EQ(read.PasswordMode, opt::PasswordMode::Required);
    EXPECT_EQ(read.PublicAccess, opt::PublicAccess::None);
    EXPECT_EQ(read.UserCount, opt::UserCount::MultiUser);
    EXPECT_EQ(read.SupervisorPassword, "other");
}

TEST_F(OptionsFiles, SecurityOptionsFollowOnlyOneCopyWhenCopiesNameEachOther) {
    TemporaryDirectory root;
    WriteBytes(program / "options.dat", SecurityFile(1, 0, root.Path().string(), 0, ""));
    WriteBytes(root / "options.dat", SecurityFile(0, 1, program.Path().string(), 1, "x"));
    Settings read;
    read.ProgramDir = program.Path();
    ASSERT_TRUE(ReadSecurityOptions(read));
    EXPECT_EQ(read.DataRoot, root.Path());
    EXPECT_EQ(read.SupervisorPassword, "x");
    EXPECT_EQ(read.ProgramDir, program.Path());
}

TEST_F(OptionsFiles, SecurityOptionsMissingOrNamingAMissingRoot) {
    Settings read;
    read.ProgramDir = program.Path();
    read.DataRoot = program.Path();
    EXPECT_FALSE(ReadSecurityOptions(read));
    EXPECT_EQ(read.PasswordMode, opt::PasswordMode::NotRequired);
    EXPECT_EQ(read.DataRoot, program.Path());

    WriteBytes(program / "options.dat", SecurityFile(0, 0, "/no/such/root", 0, "pw"));
    EXPECT_TRUE(ReadSecurityOptions(read));
    EXPECT_EQ(read.DataRoot, program.Path());
    EXPECT_EQ(read.SupervisorPassword, "pw");
}

TEST_F(OptionsFiles, ADataRootWithTrailingSeparatorsOrANulIsTheSameDirectory) {
    TemporaryDirectory root;
    for (const std::string& suffix :
         {std::string("/"), std::string("//"), std::string("\0junk", 5), std::string("/\0", 2)}) {
        for (const auto& dir : {program.Path(), root.Path()}) {
            SCOPED_TRACE(dir.string() + suffix);
            WriteBytes(program / "options.dat", SecurityFile(0, 0, dir.string() + suffix, 0, ""));
            Settings read;
            read.ProgramDir = program.Path();
            ASSERT_TRUE(ReadSecurityOptions(read));
            EXPECT_EQ(read.DataRoot, dir);
            std::filesystem::remove(root / "options.dat");
            ASSERT_TRUE(WriteSecurityOptions(read));
            // The copy in DataRoot is written only when DataRoot is another directory.
            EXPECT_EQ(std::filesystem::exists(root / "options.dat"), dir == root.Path());
            EXPECT_EQ(ReadBytes(program / "options.dat"), SecurityFile(0, 0, dir.string(), 0, ""));
        }
    }
}

TEST_F(OptionsFiles, ACopyThatChangedNothingNeverRevertsAnotherCopysOptions) {
    TemporaryDirectory root;
    settings.DataRoot = root.Path();
    SetPublicDir(settings);
    std::filesystem::create_directories(settings.PublicDir);
    settings.DataDir = settings.PublicDir;
    settings.SupervisorPassword = "old";
    ASSERT_TRUE(WriteSecurityOptions(settings));
    ASSERT_TRUE(WriteUiOptions(settings));
    const auto start = [this] {
        Settings s;
        s.ProgramDir = program.Path();
        ReadSecurityOptions(s);
        SetPublicDir(s);
        ReadUiOptions(s);
        return s;
    };
    Settings first = start();
    Settings second = start();
    ASSERT_EQ(second.DataRoot, root.Path());

    // The second copy changes the password and the speed bar; the first ends unchanged.
    second.SupervisorPassword = "new";
    second.SpeedBarLocation = opt::SpeedBarLocation::Top;
    ASSERT_TRUE(SaveSecurityOptions(second));
    ASSERT_TRUE(SaveUiOptions(second));
    const auto security = ReadBytes(program / "options.dat");
    const auto ui = ReadBytes(settings.PublicDir / "options.dat");
    EXPECT_TRUE(SaveSecurityOptions(first));
    EXPECT_TRUE(SaveUiOptions(first));
    EXPECT_EQ(ReadBytes(program / "options.dat"), security);
    EXPECT_EQ(ReadBytes(root / "options.dat"), security);
    EXPECT_EQ(ReadBytes(settings.PublicDir / "options.dat"), ui);
    Settings third = start();
    EXPECT_EQ(third.SupervisorPassword, "new");
    EXPECT_EQ(third.SpeedBarLocation, opt::SpeedBarLocation::Top);

    // A change of its own is written, and a missing file is written at once.
    first.ShowTips = !first.ShowTips;
    EXPECT_TRUE(SaveUiOptions(first));
    EXPECT_NE(ReadBytes(settings.PublicDir / "options.dat"), ui);
    std::filesystem::remove(program / "options.dat");
    Settings fresh = start();
    EXPECT_TRUE(SaveSecurityOptions(fresh));
    EXPECT_TRUE(std::filesystem::exists(program / "options.dat"));
}

TEST_F(OptionsFiles, SecurityOptionsOfEveryTruncatedLength) {
    const auto full = SecurityFile(0, 2, program.Path().string(), 1, "pw");
    for (std::size_t size = 0; size <= full.size(); ++size) {
        WriteBytes(program / "options.dat", Bytes(full.begin(), full.begin() + size));
        Settings read;
        read.ProgramDir = program.Path();
        read.DataRoot = program.Path();
        ASSERT_TRUE(ReadSecurityOptions(read));
        EXPECT_EQ(read.PasswordMode == opt::PasswordMode::Required, size >= 2) << size;
        EXPECT_EQ(read.PublicAccess == opt::PublicAccess::ReadOnly, size >= 4) << size;
        EXPECT_EQ(read.SupervisorPassword == "pw", size == full.size()) << size;
        EXPECT_EQ(read.DataRoot, program.Path()) << size;
    }
}

// ---- user-interface options ----

// A file of all 26 fields, with values away from the defaults so that a swapped field shows.
Layout UiFileUpToField16(std::string_view fileName, std::string_view dir, std::int16_t initialFile,
                         std::int16_t startHidden) {
    Layout file;
    file.Word(2).Word(3).Word(1).Word(1).Word(1).Word(initialFile).Word(-7).Word(2).Word(0).Word(1);
    file.Scrambled(fileName).Scrambled(dir);
    file.Word(startHidden).Word(1).Byte(1).Byte(0);
    return file;
}

Layout& AddFields17To25(Layout& file) {
    file.Scrambled("Hayes").Scrambled("ATZ").Scrambled("AT&F").Scrambled("ATH");
    file.Font("Times New Roman", 0x0F, 12).Font("Courier", 0x02, -9).Font("Arial", 0x01, 10);
    return file.Byte(0).Byte(0);
}

void ExpectUiFieldsUpTo16(const Settings& s) {
    EXPECT_EQ(s.MenusAndSpeedBars, opt::MenusAndSpeedBars::OnlySpeedBars);
    EXPECT_EQ(s.ComPort, 3);
    EXPECT_EQ(s.DialType, opt::DialType::Pulse);
    EXPECT_EQ(s.HintMessages, opt::HintMessages::Hide);
    EXPECT_EQ(s.LetterTabs, opt::LetterTabs::DontUse);
    EXPECT_EQ(s.ReservedWord, -7);
    EXPECT_EQ(s.FilterDateFormat, opt::FilterDateFormat::YearMonthDay);
    EXPECT_EQ(s.SpeedBarLocation, opt::SpeedBarLocation::Top);
    EXPECT_EQ(s.DeleteMode, opt::DeleteMode::ImmediateDelete);
    EXPECT_EQ(s.LetterTabsLocation, opt::LetterTabsLocation::Right);
    EXPECT_TRUE(s.StayOnTop);
    EXPECT_FALSE(s.ShowTips);
}

void ExpectUiFields17To25(const Settings& s) {
    EXPECT_EQ(s.ModemName, "Hayes");
    EXPECT_EQ(s.ModemInitString, "ATZ");
    EXPECT_EQ(s.ModemConfigString, "AT&F");
    EXPECT_EQ(s.ModemHangupString, "ATH");
    EXPECT_EQ(s.RecordButtonFont, (FontRecord{"Times New Roman", true, true, true, true, 12}));
    EXPECT_EQ(s.OneLineFieldFont, (FontRecord{"Courier", false, true, false, false, -9}));
    EXPECT_EQ(s.MultiLineFieldFont, FontRecord{});
    EXPECT_FALSE(s.AutoFill);
    EXPECT_FALSE(s.ShowReminders);
}

class UiOptions : public OptionsFiles {
protected:
    UiOptions() {
        lastDir = (settings.PublicDir / "user1").string();
        std::filesystem::create_directories(lastDir);
    }
    // A settings object as the login leaves it: DatabaseDir chosen, DataDir not yet set.
    Settings AfterLogin() const {
        Settings s;
        s.ProgramDir = settings.ProgramDir;
        s.DataRoot = settings.DataRoot;
        SetPublicDir(s);
        return s;
    }
    void WriteUiFile(const Layout& file) const {
        WriteBytes(settings.PublicDir / "options.dat", file.Get());
    }

    std::string lastDir;
};

TEST_F(UiOptions, WritesAll26FieldsExactlyAndReadsThemBack) {
    settings.MenusAndSpeedBars = opt::MenusAndSpeedBars::OnlySpeedBars;
    settings.ComPort = 3;
    settings.DialType = opt::DialType::Pulse;
    settings.HintMessages = opt::HintMessages::Hide;
    settings.LetterTabs = opt::LetterTabs::DontUse;
    settings.ReservedWord = -7;
    settings.FilterDateFormat = opt::FilterDateFormat::YearMonthDay;
    settings.SpeedBarLocation = opt::SpeedBarLocation::Top;
    settings.DeleteMode = opt::DeleteMode::ImmediateDelete;
    settings.DataFileName = "books.dbf";
    settings.DatabaseDir = lastDir;
    settings.StartHidden = true;
    settings.LetterTabsLocation = opt::LetterTabsLocation::Right;
    settings.StayOnTop = true;
    settings.ShowTips = false;
    settings.ModemName = "Hayes";
    settings.ModemInitString = "ATZ";
    settings.ModemConfigString = "AT&F";
    settings.ModemHangupString = "ATH";
    settings.RecordButtonFont = {"Times New Roman", true, true, true, true, 12};
    settings.OneLineFieldFont = {"Courier", false, true, false, false, -9};
    settings.AutoFill = false;
    settings.ShowReminders = false;
    settings.ShowTrayIcon = true;
    ASSERT_TRUE(WriteUiOptions(settings));

    Layout expected = UiFileUpToField16("books.dbf", lastDir, 1, 6);
    AddFields17To25(expected).Byte(1);
    ASSERT_EQ(expected.Size(), 20 + 2 + 9 + 1 + lastDir.size() + 6 + 5 + 4 + 4 + 5 + 3 * 264 + 3);
    EXPECT_EQ(ReadBytes(settings.PublicDir / "options.dat"), expected.Get());

    Settings read = AfterLogin();
    ReadUiOptions(read);
    EXPECT_EQ(read.DataDir, settings.PublicDir);
    ExpectUiFieldsUpTo16(read);
    ExpectUiFields17To25(read);
    EXPECT_EQ(read.DataFileName, "books.dbf");
    EXPECT_EQ(read.DatabaseDir, lastDir);
    EXPECT_TRUE(read.StartHidden);
    EXPECT_TRUE(read.ShowTrayIcon);
}

TEST_F(UiOptions, OlderFilesEndingAfterField16Or25KeepTheRest) {
    Settings read = AfterLogin();
    read.ModemName = "kept";
    read.ShowTrayIcon = true;
    WriteUiFile(UiFileUpToField16("books.dbf", lastDir, 1, 0));
    ReadUiOptions(read);
    ExpectUiFieldsUpTo16(read);
    EXPECT_EQ(read.ModemName, "kept");
    EXPECT_EQ(read.RecordButtonFont, FontRecord{});
    EXPECT_TRUE(read.AutoFill);
    EXPECT_TRUE(read.ShowReminders);
    EXPECT_TRUE(read.ShowTrayIcon);

    Layout upTo25 = UiFileUpToField16("books.dbf", lastDir, 1, 0);
    WriteUiFile(AddFields17To25(upTo25));
    read = AfterLogin();
    read.ShowTrayIcon = true;
    ReadUiOptions(read);
    ExpectUiFieldsUpTo16(read);
    ExpectUiFields17To25(read);
    EXPECT_TRUE(read.ShowTrayIcon);
}

TEST_F(UiOptions, StartHiddenMeansHideOnlyAbove5) {
    for (std::int16_t stored : {0, 1, 5, 6, 7}) {
        WriteUiFile(UiFileUpToField16("books.dbf", lastDir, 1, stored));
        Settings read = AfterLogin();
        ReadUiOptions(read);
        EXPECT_EQ(read.StartHidden, stored > 5) << stored;
    }
}

TEST_F(UiOptions, LastUsedDatabaseRules) {
    TemporaryDirectory outside;
    const auto publicUpper = settings.PublicDir.parent_path() / "data";
    const struct {
        const char* what;
        std::int16_t initialFile;
        std::string dir;
        bool supervisor;
        opt::UserAccess access;
        std::string expectedFile;
        std::filesystem::path expectedDir;
    } cases[] = {
        {"last used", 1, lastDir, true, opt::UserAccess::ReadWrite, "books.dbf", lastDir},
        {"default file asked for", 0, lastDir, true, opt::UserAccess::ReadWrite, "data.dbf",
         settings.PublicDir},
        {"directory outside DataRoot", 1, outside.Path().string(), true, opt::UserAccess::ReadWrite,
         "books.dbf", settings.PublicDir},
        {"empty directory", 1, "", true, opt::UserAccess::ReadWrite, "data.dbf",
         settings.PublicDir},
        {"public database denied to this user", 1, publicUpper.string(), false,
         opt::UserAccess::None, "data.dbf", settings.PublicDir},
        {"public database of a read-only user", 1, publicUpper.string(), false,
         opt::UserAccess::ReadOnly, "books.dbf", publicUpper},
    };
    // Files are found by their exact names on Linux: the remembered directory must exist.
    std::filesystem::create_directories(publicUpper);
    for (const auto& c : cases) {
        WriteUiFile(UiFileUpToField16("books.dbf", c.dir, c.initialFile, 0));
        Settings read = AfterLogin();
        read.IsSupervisor = c.supervisor;
        read.UserAccess = c.access;
        ReadUiOptions(read);
        EXPECT_EQ(read.DataFileName, c.expectedFile) << c.what;
        EXPECT_EQ(read.DatabaseDir, c.expectedDir) << c.what;
        EXPECT_EQ(read.DataDir, settings.PublicDir) << c.what;
    }
}

TEST_F(UiOptions, OnlyAPlainFileNameInAnExistingDirectoryIsTakenAsTheLastDatabase) {
    const struct {
        const char* what;
        std::string file;
        std::string dir;
        bool found;
        std::string expectedFile;
        std::filesystem::path expectedDir;
    } cases[] = {
        {"taken", "books.dbf", lastDir, true, "books.dbf", lastDir},
        {"trailing separators", "books.dbf", lastDir + "//", true, "books.dbf", lastDir},
        {"NUL and more", "books.dbf", lastDir + std::string("\0/x", 3), true, "books.dbf", lastDir},
        {"directory gone", "books.dbf", lastDir + "-gone", false, "data.dbf", settings.PublicDir},
        {"file name climbing out", "../victim.dbf", lastDir, true, "data.dbf", settings.PublicDir},
        {"file name with a directory", "sub/books.dbf", lastDir, true, "data.dbf",
         settings.PublicDir},
        {"file name \"..\"", "..", lastDir, true, "data.dbf", settings.PublicDir},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteUiFile(UiFileUpToField16(c.file, c.dir, 1, 0));
        Settings read = AfterLogin();
        EXPECT_EQ(ReadUiOptions(read), c.found);
        EXPECT_EQ(read.DataFileName, c.expectedFile);
        EXPECT_EQ(read.DatabaseDir, c.expectedDir);
    }
}

TEST_F(UiOptions, MissingFileKeepsDefaultsAndSetsDataDir) {
    Settings read = AfterLogin();
    read.DatabaseDir = lastDir;
    ReadUiOptions(read);
    EXPECT_EQ(read.DataDir, lastDir);
    EXPECT_EQ(read.DataFileName, "data.dbf");
    EXPECT_EQ(read.ModemName, "Custom Settings");
    EXPECT_TRUE(read.ShowTips);
}

TEST_F(UiOptions, EveryTruncatedLengthReadsWhatIsThereAndKeepsTheRest) {
    Layout full = UiFileUpToField16("books.dbf", lastDir, 1, 6);
    AddFields17To25(full).Byte(1);
    const std::size_t field16End = UiFileUpToField16("books.dbf", lastDir, 1, 6).Size();
    for (std::size_t size = 0; size <= full.Size(); ++size) {
        WriteBytes(settings.PublicDir / "options.dat",
                   Bytes(full.Get().begin(), full.Get().begin() + size));
        Settings read = AfterLogin();
        read.ModemName = "kept";
        ReadUiOptions(read);
        EXPECT_EQ(read.MenusAndSpeedBars == opt::MenusAndSpeedBars::OnlySpeedBars, size >= 2)
            << size;
        EXPECT_EQ(read.DeleteMode == opt::DeleteMode::ImmediateDelete, size >= 20) << size;
        EXPECT_EQ(read.ShowTips, size < field16End) << size;
        // The first optional section is entered when anything follows field 16; a string cut
        // short there reads as empty.
        const auto expectedModem = size == field16End       ? "kept"
                                   : size >= field16End + 6 ? "Hayes"
                                                            : "";
        if (size >= field16End) {
            EXPECT_EQ(read.ModemName, expectedModem) << size;
        }
        EXPECT_EQ(read.MultiLineFieldFont, FontRecord{}) << size;
        EXPECT_EQ(read.ShowReminders, size < full.Size() - 1) << size;
        EXPECT_EQ(read.ShowTrayIcon, size == full.Size()) << size;
    }
}

// ---- scrambled strings ----

TEST_F(OptionsFiles, ScrambledTextsAreCutAtACharacterEqualToItsKeyByte) {
    const struct {
        std::string stored;
        std::string readBack;
    } cases[] = {
        {"Supervisor", "Supervisor"},
        {"abcd\x0C"
         "ef",
         "abcd"},                         // 0x0C is the fifth key byte
        {"\x03xyz", ""},                  // first key byte
        {"0123456789\x03", "0123456789"}, // the key starts again at the eleventh character
        {std::string(300, 'p'), std::string(255, 'p')},
    };
    for (const auto& c : cases) {
        settings.SupervisorPassword = c.stored;
        ASSERT_TRUE(WriteSecurityOptions(settings));
        Settings read;
        read.ProgramDir = program.Path();
        ReadSecurityOptions(read);
        EXPECT_EQ(read.SupervisorPassword, c.readBack);
    }
}

// Each step of an options file's write fails, or kills the writing process, in turn: the next
// read finds the old file or the new one, never a mix, and a failed write reports it.
TEST_F(UiOptions, AWriteFailedOrKilledAtAnyStepLeavesTheOldFileOrTheNew) {
    struct Case {
        const char* name;
        std::filesystem::path file;
        std::function<bool(const Settings&)> write;
    };
    const Case cases[] = {
        {"security", settings.ProgramDir / "options.dat", WriteSecurityOptions},
        {"user interface", settings.PublicDir / "options.dat", WriteUiOptions},
    };
    for (const Case& c : cases) {
        for (const auto action : {ReplaceFaults::Action::Fail, ReplaceFaults::Action::Kill}) {
            bool reached = true;
            for (std::uint64_t n = 1; reached; ++n) {
                SCOPED_TRACE(std::string(c.name) + " file, step " + std::to_string(n) +
                             (action == ReplaceFaults::Action::Kill ? " killed" : " failed"));
                Settings before = settings;
                before.SupervisorPassword = "old";
                before.ModemName = "Old modem";
                ASSERT_TRUE(c.write(before));
                const Bytes old = ReadBytes(c.file);
                Settings after = settings;
                after.SupervisorPassword = "a new and longer password";
                after.ModemName = "A new modem with a longer name";
                after.DatabaseDir = lastDir;

                if (action == ReplaceFaults::Action::Fail) {
                    ReplaceFaults::arm(n, action);
                    const bool written = c.write(after);
                    reached = ReplaceFaults::calls() >= n;
                    ReplaceFaults::disarm();
                    EXPECT_EQ(written, !reached);
                    if (reached) {
                        EXPECT_EQ(ReadBytes(c.file), old);
                    }
                    // A failed write takes its temporary file away.
                    for (const auto& entry :
                         std::filesystem::directory_iterator(c.file.parent_path())) {
                        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
                            << entry.path();
                    }
                } else {
                    const pid_t pid = ::fork();
                    if (pid == 0) {
                        ReplaceFaults::arm(n, action);
                        c.write(after);
                        ::_exit(0);
                    }
                    int status = 0;
                    ::waitpid(pid, &status, 0);
                    reached = WIFSIGNALED(status);
                }
                const Bytes now = ReadBytes(c.file);
                ASSERT_TRUE(c.write(after));
                const Bytes written = ReadBytes(c.file);
                ASSERT_NE(written, old);
                EXPECT_TRUE(now == old || now == written);
                if (!reached) {
                    EXPECT_EQ(now, written);
                }
            }
        }
    }
}

} // namespace
} // namespace shelfwise::settings
