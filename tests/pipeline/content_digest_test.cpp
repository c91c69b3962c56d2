#include "pipeline/content_digest.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "platform/file_system.h"
#include "tests/support/example.h"
#include "tests/support/test_folder.h"

namespace quillmoor {
namespace {

using test_support::Example;
using test_support::TestFolder;
using test_support::WriteBytes;

// count bytes that run through every byte value, NUL and those above 0x7F among them.
std::string Pattern(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<char>((i * 37 + 11) % 256);
    }
    return bytes;
}

// The digests as sha256sum gives them.
const Example<std::string, const char*> kDigests[] = {
    {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"448 bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"a million a", std::string(1000000, 'a'),
     "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    // Around the padding's edges: up to 55 bytes the length fits the last block, from 56 on
    // it takes a block of its own; 64 and 128 fill whole blocks.
    {"55 bytes", Pattern(55), "2900465fcb533e05a158fd2b3be0e5e3b03740d83060aa3580e0d98a96bf2384"},
    {"56 bytes", Pattern(56), "31454ff48ef36af2f08fd511bdc37d9d5855ac23e992e5ff5445cb6b7674a674"},
    {"57 bytes", Pattern(57), "bcc0a5d3791b985b7550e04ca660a6c63a589ba1edd2283c8e110e5b515df124"},
    {"63 bytes", Pattern(63), "5f6401b96532c36de4e65beec0409b69b1d181864c8009b7a04f43e5d56350d1"},
    {"64 bytes", Pattern(64), "94eb5de4943613fd048dc93393ab06877405faa39c11f53e9386083339833e7e"},
    {"65 bytes", Pattern(65), "fc518669b6eb4b4dd91827ecacef86689c725bd5bab888fd3b26dbb196eec954"},
    {"119 bytes", Pattern(119), "b0dc41b1a384e2f1203f0351b38fbeaafceef577ce1191d5bfc25da39f721eae"},
    {"120 bytes", Pattern(120), "5df24dd802ac26132ce608dcb5f09841eef039ee0f152acf98d26d17fe4e88e6"},
    {"128 bytes", Pattern(128), "0aedd4856f8eba0963627336ad5144a9a7dbe12498e6066f0165fc97d8ddee4c"},
};

TEST(ContentDigest, GivesTheKnownDigests) {
    for (const auto& example : kDigests) {
        EXPECT_EQ(Sha256Hex(example.input), example.expected) << example.name;
    }
}

TEST(ContentDigest, PiecesGiveTheDigestOfTheWhole) {
    const std::string bytes = Pattern(130);
    const std::string whole = Sha256Hex(bytes);
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        Sha256 digest;
        digest.Add(std::string_view(bytes).substr(0, cut));
        digest.Add(std::string_view(bytes).substr(cut));
        EXPECT_EQ(digest.Hex(), whole) << "cut at " << cut;
    }
    Sha256 byte_by_byte;
    for (const char byte : bytes) {
        byte_by_byte.Add({&byte, 1});
    }
    EXPECT_EQ(byte_by_byte.Hex(), whole);
}

TEST(ContentDigest, TakingTheDigestLetsMoreBytesFollow) {
    const std::string bytes = Pattern(100);
    Sha256 digest;
    digest.Add(std::string_view(bytes).substr(0, 60));
    EXPECT_EQ(digest.Hex(), Sha256Hex(bytes.substr(0, 60)));
    digest.Add(std::string_view(bytes).substr(60));
    EXPECT_EQ(digest.Hex(), Sha256Hex(bytes));
}

TEST(ContentDigest, FileGivesTheDigestOfItsBytes) {
    TestFolder folder;
    // Larger than the blocks the file is read in (256 KiB), and not a whole number of them.
    const std::string big = Pattern((std::size_t{600} << 10) + 13);
    WriteBytes(folder.Root() / "big.html", big);
    EXPECT_EQ(Sha256HexOfFile(folder.Path(u"big.html")), Sha256Hex(big));
    WriteBytes(folder.Root() / "empty.html", "");
    EXPECT_EQ(Sha256HexOfFile(folder.Path(u"empty.html")), kDigests[0].expected);
}

TEST(ContentDigest, FileThatCannotBeReadThrows) {
    TestFolder folder;
    EXPECT_THROW(Sha256HexOfFile(folder.Path(u"missing.html")), FileSystemError);
    EXPECT_THROW(Sha256HexOfFile(folder.Path(u"")), FileSystemError);
}

}  // namespace
}  // namespace quillmoor
