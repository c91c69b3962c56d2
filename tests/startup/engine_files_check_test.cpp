// The engine files check, against folders made by the tests.
#include <gtest/gtest.h>

#include "platform/utf.h"
#include "startup/engine_files_check.h"
#include "tests/startup/fixture_folder.h"

namespace quillmoor {
namespace {

// The Windows engine distribution, written out as its files are named.
const std::vector<std::string> kLibraryFiles = {"chrome_elf.dll",
                                                "libcef.dll",
                                                "d3dcompiler_47.dll",
                                                "libEGL.dll",
                                                "libGLESv2.dll",
                                                "swiftshader\\libEGL.dll",
                                                "swiftshader\\libGLESv2.dll",
                                                "icudtl.dat",
                                                "natives_blob.bin",
                                                "snapshot_blob.bin",
                                                "v8_context_snapshot.bin",
                                                "cef.pak",
                                                "cef_100_percent.pak",
                                                "cef_200_percent.pak",
                                                "cef_extensions.pak",
                                                "devtools_resources.pak"};
constexpr const char* kLocaleCodes =
    "am,ar,bg,bn,ca,cs,da,de,el,en-GB,en-US,es,es-419,et,fa,fi,fil,fr,gu,he,hi,hr,hu,id,it,ja,kn,"
    "ko,lt,lv,ml,mr,ms,nb,nl,pl,pt-BR,pt-PT,ro,ru,sk,sl,sr,sv,sw,ta,te,th,tr,uk,vi,zh-CN,zh-TW";

std::vector<std::string> LocaleFiles() {
    std::vector<std::string> files;
    std::string codes = kLocaleCodes;
    size_t start = 0;
    while (start <= codes.size()) {
        const size_t comma = std::min(codes.find(',', start), codes.size());
        files.push_back("locales\\" + codes.substr(start, comma - start) + ".pak");
        start = comma + 1;
    }
    return files;
}

std::string OnDisk(std::string name) {
    for (char& c : name) {
        if (c == '\\') {
            c = '/';
        }
    }
    return name;
}

std::u16string Listed(const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& file : files) {
        text += file + "\r\n";
    }
    return Utf8ToUtf16(text);
}

class WindowsEngineFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string& file : kLibraryFiles) {
            folder_.WriteFile(OnDisk(file), "x");
        }
        for (const std::string& file : LocaleFiles()) {
            folder_.WriteFile(OnDisk(file), "x");
        }
    }

    std::u16string Missing() const {
        const test_support::WorkingDirectoryScope inside(folder_.path());
        return FindMissingEngineFiles(EngineLayout::Windows());
    }

    test_support::FixtureFolder folder_;
};

TEST_F(WindowsEngineFilesTest, AllPresentListsNothing) {
    EXPECT_EQ(Missing(), u"");
}

TEST_F(WindowsEngineFilesTest, OneMissingLocaleIsListedAlone) {
    folder_.Remove("locales/pt-BR.pak");
    EXPECT_EQ(Missing(), u"locales\\pt-BR.pak\r\n");
}

TEST_F(WindowsEngineFilesTest, MissingFilesAreListedInTableOrder) {
    folder_.Remove("locales/zh-TW.pak");
    folder_.Remove("devtools_resources.pak");
    folder_.Remove("swiftshader/libGLESv2.dll");
    folder_.Remove("chrome_elf.dll");
    EXPECT_EQ(Missing(),
              u"chrome_elf.dll\r\nswiftshader\\libGLESv2.dll\r\n"
              u"devtools_resources.pak\r\nlocales\\zh-TW.pak\r\n");
}

TEST_F(WindowsEngineFilesTest, NoLocalesFolderListsAllFiftyThreeLocales) {
    folder_.Remove("locales");
    const std::vector<std::string> locales = LocaleFiles();
    ASSERT_EQ(locales.size(), 53u);
    EXPECT_EQ(locales.front(), "locales\\am.pak");
    EXPECT_EQ(locales.back(), "locales\\zh-TW.pak");
    EXPECT_EQ(Missing(), Listed(locales));
}

TEST_F(WindowsEngineFilesTest, FoldersAreNotFiles) {
    // A folder where a file belongs counts as missing; a file named "locales" is no
    // locales folder.
    folder_.Remove("icudtl.dat");
    folder_.MakeFolder("icudtl.dat");
    folder_.Remove("locales");
    folder_.WriteFile("locales", "not a folder");
    std::vector<std::string> expected = {"icudtl.dat"};
    for (const std::string& file : LocaleFiles()) {
        expected.push_back(file);
    }
    EXPECT_EQ(Missing(), Listed(expected));
}

TEST(EngineFilesCheckTest, WorkingDirectoryWithoutTheFilesListsEveryFile) {
    // Started from another folder: the files beside the program do not count.
    test_support::FixtureFolder elsewhere;
    const test_support::WorkingDirectoryScope inside(elsewhere.path());
    std::vector<std::string> every = kLibraryFiles;
    for (const std::string& file : LocaleFiles()) {
        every.push_back(file);
    }
    EXPECT_EQ(FindMissingEngineFiles(EngineLayout::Windows()), Listed(every));
    EXPECT_EQ(FindMissingEngineFiles(EngineLayout::Linux()), u"libcef.so\r\n");
}

TEST(EngineFilesCheckTest, LinuxEngineIsTheLibraryAlone) {
    test_support::FixtureFolder folder;
    folder.WriteFile("libcef.so", "x");
    const test_support::WorkingDirectoryScope inside(folder.path());
    EXPECT_EQ(FindMissingEngineFiles(EngineLayout::Linux()), u"");
}

}  // namespace
}  // namespace quillmoor
