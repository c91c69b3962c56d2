// The kind of process, read from the engine's "--type=" argument.
#include <gtest/gtest.h>

#include <cctype>

#include "platform/process_arguments.h"
#include "startup/tcef_process_type.h"

namespace quillmoor {
namespace {

struct ProcessTypeCase {
    const char* label;
    std::vector<std::u16string> arguments;
    TCefProcessType expected;

    friend void PrintTo(const ProcessTypeCase& c, std::ostream* out) { *out << c.label; }
};

class ProcessTypeTest : public ::testing::TestWithParam<ProcessTypeCase> {};

TEST_P(ProcessTypeTest, ReadsTheKindFromTheArguments) {
    EXPECT_EQ(ProcessTypeFromArguments(GetParam().arguments), GetParam().expected)
        << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ProcessTypeTest,
    ::testing::Values(
        ProcessTypeCase{"no arguments", {}, TCefProcessType::ptBrowser},
        ProcessTypeCase{
            "unrelated arguments", {u"--lang=de", u"page.html"}, TCefProcessType::ptBrowser},
        ProcessTypeCase{"renderer", {u"--type=renderer"}, TCefProcessType::ptRenderer},
        ProcessTypeCase{
            "switch and value in other case", {u"--TYPE=Renderer"}, TCefProcessType::ptRenderer},
        ProcessTypeCase{"zygote", {u"--type=zygote"}, TCefProcessType::ptZygote},
        ProcessTypeCase{"gpu",
                        {u"--no-sandbox", u"--type=gpu-process", u"--lang=en-US"},
                        TCefProcessType::ptGPU},
        ProcessTypeCase{"utility", {u"--type=utility"}, TCefProcessType::ptUtility},
        ProcessTypeCase{"empty value", {u"--type="}, TCefProcessType::ptOther},
        ProcessTypeCase{"unknown value", {u"--type=ppapi"}, TCefProcessType::ptOther},
        ProcessTypeCase{
            "value with trailing text", {u"--type=renderer2"}, TCefProcessType::ptOther},
        ProcessTypeCase{"the last of two decides",
                        {u"--type=renderer", u"--type=gpu-process"},
                        TCefProcessType::ptGPU},
        ProcessTypeCase{"the last of two decides, even when empty",
                        {u"--type=utility", u"--type="},
                        TCefProcessType::ptOther},
        ProcessTypeCase{
            "without the equals sign", {u"--type", u"renderer"}, TCefProcessType::ptBrowser},
        ProcessTypeCase{"single dash", {u"-type=renderer"}, TCefProcessType::ptBrowser},
        ProcessTypeCase{"non-ASCII letters are not folded",
                        {u"--type=rend\u0130rer"},
                        TCefProcessType::ptOther}),
    [](const ::testing::TestParamInfo<ProcessTypeCase>& info) {
        std::string name;
        for (const char* c = info.param.label; *c != '\0'; ++c) {
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        }
        return name;
    });

TEST(ProcessTypeFromArgumentsTest, TheProgramPathIsNotAnArgument) {
    // A program whose own path looks like the switch is still the browser process.
    const ProcessArguments arguments({u"--type=renderer"});
    EXPECT_EQ(ProcessTypeFromArguments(arguments.Arguments()), TCefProcessType::ptBrowser);
}

}  // namespace
}  // namespace quillmoor
