// Loading documents from the skin folder and from the skin zip.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "MarkupTestUtil.h"
#include "TestSupport.h"
#include "UIManager.h"
#include "UIMarkup.h"

using namespace SkinUI;
using namespace markuptest;

namespace {

std::wstring MarkupFixtures() { return testsupport::FixtureDir() + L"markup\\"; }

class MarkupFiles : public ::testing::Test {
protected:
    void SetUp() override {
        CUIManager::ResetResourceState();
        CUIManager::SetResourcePath(MarkupFixtures().c_str());
    }
    void TearDown() override { CUIManager::ResetResourceState(); }

    // Loads a file and returns the dump, or "error: <message>" (checking
    // that load errors carry no location and leave nothing loaded).
    std::string LoadFile(const wchar_t* name, int encoding = UIMarkupUtf8) {
        if (m_markup.LoadFromFile(name, encoding)) {
            EXPECT_STREQ(m_markup.GetLastErrorMessage(), L"");
            return N(Dump(m_markup));
        }
        EXPECT_FALSE(m_markup.GetRoot().IsValid());
        EXPECT_STREQ(m_markup.GetLastErrorLocation(), L"");
        return "error: " + N(m_markup.GetLastErrorMessage());
    }

    // The name of the last child of the root (the size fixtures end with "last").
    std::wstring LastChildName() {
        CUIMarkupNode last;
        for (CUIMarkupNode n = m_markup.GetRoot().GetFirstChild(); n.IsValid(); n = n.GetNextSibling()) last = n;
        if (!last.IsValid()) return L"(none)";
        wchar_t name[32] = {};
        last.CopyAttributeValue(L"name", name, 31);
        return name;
    }

    CUIMarkup m_markup;
};

}  // namespace

TEST_F(MarkupFiles, FromTheResourceFolder) {
    const std::string reference = N(ReferenceDump());
    struct Case {
        const wchar_t* name;
        int encoding;
        std::string expected;
    } cases[] = {
        {L"plain.xml", UIMarkupUtf8, reference},
        {L"bom.xml", UIMarkupUtf8, reference},
        {L"utf16le.xml", UIMarkupUtf16, reference},
        {L"utf16be.xml", UIMarkupUtf16, reference},
        {L"ansi.xml", UIMarkupAnsi, "Window{size=\"10,20\"}[Control{name=\"ansi\" text=\"plain ascii\"}]"},
        {L"Sub\\Dialog.xml", UIMarkupUtf8, "Window[Button{name=\"ok\" text=\"OK\"}]"},
        {L"Sub/Dialog.xml", UIMarkupUtf8, "Window[Button{name=\"ok\" text=\"OK\"}]"},
        {L"empty.xml", UIMarkupUtf8, "error: File is empty"},
        {L"over4m.xml", UIMarkupUtf8, "error: File too large"},
        {L"missing.xml", UIMarkupUtf8, "error: Error opening file"},
        {L"Sub", UIMarkupUtf8, "error: Error opening file"},
        {L"", UIMarkupUtf8, "error: Error opening file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(N(c.name));
        EXPECT_EQ(LoadFile(c.name, c.encoding), c.expected);
    }
    // Without its mark a UTF-16 file does not load (and says nothing more).
    EXPECT_FALSE(m_markup.LoadFromFile(L"utf16nobom.xml", UIMarkupUtf16));
    EXPECT_FALSE(m_markup.GetRoot().IsValid());
}

TEST_F(MarkupFiles, SizeLimitIsInclusive) {
    ASSERT_TRUE(m_markup.LoadFromFile(L"exact4m.xml")) << N(m_markup.GetLastErrorMessage());
    EXPECT_EQ(N(LastChildName()), "last");
    EXPECT_EQ(LoadFile(L"over4m.xml"), "error: File too large");
    // The failure released the big document; a new load works.
    EXPECT_EQ(LoadFile(L"Sub\\Dialog.xml"), "Window[Button{name=\"ok\" text=\"OK\"}]");
}

TEST_F(MarkupFiles, NameIsTakenRelativeToTheResourcePath) {
    CUIManager::SetResourcePath((MarkupFixtures() + L"Sub").c_str());
    EXPECT_EQ(LoadFile(L"Dialog.xml"), "Window[Button{name=\"ok\" text=\"OK\"}]");
    EXPECT_EQ(LoadFile(L"plain.xml"), "error: Error opening file");
}

TEST_F(MarkupFiles, ReadFailureIsReported) {
    // A byte-range lock held by another handle makes the read fail.
    const std::wstring dir = testsupport::MakeTempDir(L"markup_lock");
    const std::wstring path = dir + L"locked.xml";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "<Window><Control/></Window>"));
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(LockFile(h, 0, 0, 1000, 0));
    // Wine does not make reads through another handle fail on a locked range.
    HANDLE probe = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char byte = 0;
    DWORD got = 0;
    const bool enforced = probe != INVALID_HANDLE_VALUE && !ReadFile(probe, &byte, 1, &got, nullptr);
    if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
    if (!enforced) {
        UnlockFile(h, 0, 0, 1000, 0);
        CloseHandle(h);
        testsupport::RemoveTree(dir);
        GTEST_SKIP() << "byte-range locks do not block reads on this platform";
    }
    CUIManager::SetResourcePath(dir.c_str());
    const std::string result = LoadFile(L"locked.xml");
    UnlockFile(h, 0, 0, 1000, 0);
    CloseHandle(h);
    EXPECT_EQ(result, "error: Could not read file");
    EXPECT_EQ(LoadFile(L"locked.xml"), "Window[Control]");
    testsupport::RemoveTree(dir);
}

namespace {

class MarkupZip : public MarkupFiles {
protected:
    void ExpectZipEntries() {
        const std::string reference = N(ReferenceDump());
        struct Case {
            const wchar_t* name;
            int encoding;
            std::string expected;
        } cases[] = {
            {L"Skin/MainFrame.xml", UIMarkupUtf8, reference},
            // Entry names ignore case and take either separator.
            {L"skin\\mainframe.xml", UIMarkupUtf8, reference},
            {L"SKIN/MAINFRAME.XML", UIMarkupUtf8, reference},
            {L"Skin\\Dialog.xml", UIMarkupUtf8, "Window[Button{name=\"ok\" text=\"OK\"}]"},
            {L"skin/utf16.xml", UIMarkupUtf16, reference},
            {L"Nothing.xml", UIMarkupUtf8, "error: Could not find ziped file"},
            {L"plain.xml", UIMarkupUtf8, "error: Could not find ziped file"},
            {L"Empty.xml", UIMarkupUtf8, "error: File is empty"},
            {L"Big.xml", UIMarkupUtf8, "error: File too large"},
            // An entry that delivers fewer bytes than it declares, or bytes
            // that do not match its checksum, is no document.
            {L"Short.xml", UIMarkupUtf8, "error: Could not unzip file"},
            {L"BadCrc.xml", UIMarkupUtf8, "error: Could not unzip file"},
            // The reader stays usable after those.
            {L"skin/dialog.xml", UIMarkupUtf8, "Window[Button{name=\"ok\" text=\"OK\"}]"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(N(c.name));
            EXPECT_EQ(LoadFile(c.name, c.encoding), c.expected);
        }
        ASSERT_TRUE(m_markup.LoadFromFile(L"exact.xml")) << N(m_markup.GetLastErrorMessage());
        EXPECT_EQ(N(LastChildName()), "last");
    }
};

}  // namespace

TEST_F(MarkupZip, FromAKeptOpenZipFile) {
    CUIManager::SetResourceZipFile(L"markup.zip", true);
    ASSERT_NE(CUIManager::GetResourceZipHandle(), nullptr);
    ExpectZipEntries();
    // The kept-open zip is still open and usable.
    EXPECT_NE(CUIManager::GetResourceZipHandle(), nullptr);
    EXPECT_EQ(LoadFile(L"Skin/Dialog.xml"), "Window[Button{name=\"ok\" text=\"OK\"}]");
}

TEST_F(MarkupZip, FromAZipOpenedForEachLoad) {
    CUIManager::SetResourceZipFile(L"markup.zip", false);
    EXPECT_EQ(CUIManager::GetResourceZipHandle(), nullptr);
    ExpectZipEntries();
    // Each load closed its zip again: the file can be opened exclusively.
    HANDLE h = CreateFileW((MarkupFixtures() + L"markup.zip").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

TEST_F(MarkupZip, FromAZipInMemory) {
    const std::string zip = testsupport::ReadFileBytes(MarkupFixtures() + L"markup.zip");
    ASSERT_FALSE(zip.empty());
    CUIManager::SetResourceZipMemory(zip.data(), (unsigned)zip.size());
    ExpectZipEntries();
    CUIManager::ResetResourceState();
}

TEST_F(MarkupZip, MissingZip) {
    CUIManager::SetResourceZipFile(L"missing.zip", false);
    EXPECT_EQ(LoadFile(L"Skin/MainFrame.xml"), "error: Error opening zip file");
    CUIManager::SetResourceZipFile(L"missing.zip", true);
    EXPECT_EQ(LoadFile(L"Skin/MainFrame.xml"), "error: Error opening zip file");
    // Not a zip at all.
    CUIManager::SetResourceZipFile(L"plain.xml", false);
    EXPECT_EQ(LoadFile(L"Skin/MainFrame.xml"), "error: Error opening zip file");
    // With a zip set, the plain files of the folder are not looked at.
    CUIManager::SetResourceZipFile(L"markup.zip", false);
    EXPECT_EQ(LoadFile(L"plain.xml"), "error: Could not find ziped file");
}
