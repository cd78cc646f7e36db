#include "fileio/ContentDigest.h"

#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velcor::fileio {
namespace {

// The examples of the SHA-256 standard: FIPS 180-2, appendix B.1 to B.3 ("abc", the 448-bit
// message, a million times "a"); the empty message from NIST's byte-oriented test vectors
// (SHA256ShortMsg.rsp, Len = 0); the 896-bit message from the two-block examples NIST gives for
// the SHA-2 family (csrc.nist.gov, "Examples with Intermediate Values", SHA-256). Each is fed
// whole and in pieces that fall across the 64-byte blocks in every way, as a file's reads do.
TEST(Sha256, GivesThePublishedDigestsHoweverTheBytesArePieced) {
    const struct {
        std::string message;
        std::string digest;
    } vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqr"
         "lmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1'000'000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& v : vectors) {
        for (const std::size_t piece : {std::size_t{0}, std::size_t{1}, std::size_t{55},
                                        std::size_t{64}, std::size_t{65}, std::size_t{1000}}) {
            SCOPED_TRACE(::testing::Message() << v.message.size() << " bytes, pieces of " << piece);
            Sha256 sha;
            const std::size_t step = piece == 0 ? v.message.size() : piece;
            for (std::size_t at = 0; at < v.message.size(); at += step)
                sha.add(v.message.data() + at, std::min(step, v.message.size() - at));
            EXPECT_EQ(hexDigits(sha.finish()), v.digest);
        }
    }
}

// A digest under way can be handed on, as a digester kept in a moved result is: the bytes added
// before and after the move make one digest, and what it was moved from starts anew.
TEST(Sha256, MovedItGoesOnWhereItWasAndWhatItLeftStartsAnew) {
    const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const std::string empty = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    Sha256 first;
    first.add("a", 1);
    Sha256 second(std::move(first));
    second.add("b", 1);
    Sha256 third;
    third.add("xyz", 3);
    third = std::move(second);
    third.add("c", 1);
    EXPECT_EQ(hexDigits(third.finish()), abc);
    EXPECT_EQ(hexDigits(first.finish()), empty);
    EXPECT_EQ(hexDigits(second.finish()), empty);
    std::vector<Sha256> many(3);
    for (Sha256& sha : many) sha.add("abc", 3);
    many.resize(40);  // moved to a larger buffer on the way
    EXPECT_EQ(hexDigits(many[2].finish()), abc);
    EXPECT_EQ(hexDigits(many[39].finish()), empty);
}

TEST(ContentDigest, ItsTextReadsBackAndNothingElseDoes) {
    ContentDigester digester;
    digester.add("abc", 3);
    const ContentDigest abc = digester.finish();
    const std::string text = digestText(abc);
    EXPECT_EQ(text, "3 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(parseDigestText(text), abc);
    const std::string hex = text.substr(2);
    for (const std::string& bad : std::vector<std::string>{
             "", "3", " " + hex, "x " + hex, "-3 " + hex, "3  " + hex, "3 " + hex + "0",
             "3 " + hex.substr(1), "3 " + hex.substr(0, 63) + "G",
             "3 BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"})
        EXPECT_FALSE(parseDigestText(bad)) << bad;
}

TEST(ContentDigest, OfAFileIsItsBytesOrWhyNot) {
    testing::TempDir dir;
    const std::string path = dir.file("list");
    testing::writeFileBytes(path, std::string(200'000, 'a') + "\r\n\x1A");
    testing::FaultyFileSystem fs;
    std::error_code cause;
    const auto digest = digestOfFile(fs, path, cause);
    ASSERT_TRUE(digest);
    EXPECT_EQ(digest->size, 200'003u) << "read as bytes, past CR LF and the end mark";

    fs.failCall(testing::FaultyFileSystem::Step::read,
                fs.calls(testing::FaultyFileSystem::Step::read) + 2);
    EXPECT_FALSE(digestOfFile(fs, path, cause));
    EXPECT_EQ(cause, std::errc::io_error);
    EXPECT_FALSE(digestOfFile(fs, dir.file("none"), cause));
    EXPECT_EQ(cause, std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace velcor::fileio
