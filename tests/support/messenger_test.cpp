#include "script/messenger.h"
#include "script/script_command.h"
#include "script/token.h"
#include "support/messenger.h"
#include "support/stream.h"

#include <gtest/gtest.h>

namespace {

struct MessengerFixture : ::testing::Test {
    PLOVMessenger store;
    KEFOMessenger messenger;
    PLOVStringStream* output = new PLOVStringStream;
    void SetUp() override {
        messenger.Initialize(&store);
        messenger.SetErrorStream(output);
    }
};

TEST_F(MessengerFixture, RegistersTheWholeTable) {
    EXPECT_EQ(store.GetNumberOfMessagePatterns(), 110);
    ASSERT_NE(store.LookForMessagePattern(10004), nullptr);
    EXPECT_EQ(store.LookForMessagePattern(10004)->GetText(), "No root element \"open-psa\".");
    EXPECT_EQ(store.LookForMessagePattern(13002)->GetText(), "Command not implemented yet.");
    EXPECT_EQ(store.LookForMessagePattern(13003)->GetText(), "Nesting deeper than %1 levels.");
    EXPECT_EQ(store.LookForMessagePattern(13003)->GetNumberOfArguments(), 1);
    EXPECT_EQ(store.LookForMessagePattern(10071)->GetText(), "\"%1\" is not a Boolean value");
}

TEST_F(MessengerFixture, SubstitutesArgumentsUpToThePatternCount) {
    messenger.RaiseError(11202, "2", "3");
    EXPECT_EQ(store.GetMessages().back()->GetText(), "Wrong number of arguments: 2 expected, 3 given.");
    store.NewMessagePattern(99, 1, "a %1 b %2 c %1");
    messenger.RaiseError(99, "x", "y");
    EXPECT_EQ(store.GetMessages().back()->GetText(), "a x b %2 c x");
    // An argument holding a marker is not substituted again.
    messenger.RaiseError(11202, "%2", "3");
    EXPECT_EQ(store.GetMessages().back()->GetText(), "Wrong number of arguments: %2 expected, 3 given.");
}

TEST_F(MessengerFixture, PrintsTokenLocationThenTextThenSeparator) {
    KEFOToken token(59, ";", std::make_shared<const std::string>("run.script"), 3, 7);
    messenger.RaiseError(10092, &token, ";");
    messenger.RaiseError(11300, "maximum-depth");
    messenger.PrintErrorMessages();
    EXPECT_EQ(output->GetText(),
              "ERROR code: 10092 file: run.script line: 3 column: 7\nUnexpected token ;.\n---\n\n"
              "ERROR code: 11300\nUndefined option maximum-depth.\n---\n\n");
    output->Clear();
    messenger.PrintErrorMessages();
    EXPECT_EQ(output->GetText(), "");
}

TEST_F(MessengerFixture, CommandLocationHasFileAndLineButNoColumn) {
    KEFOScriptCommand command(KEFOScriptCommand::BuiltinCommand);
    command.SetLineNumber(12);
    messenger.RaiseError(11210, &command, "1", "nothing");
    command.SetFileName(std::make_shared<const std::string>("a.kefo"));
    messenger.RaiseError(11001, &command);
    messenger.PrintErrorMessages();
    EXPECT_EQ(output->GetText(),
              "ERROR code: 11210 line: 12\nInvalid value nothing of argument 1.\n---\n\n"
              "ERROR code: 11001 file: a.kefo line: 12\nThe target model has not been built yet.\n---\n\n");
}

TEST(PLOVMessengerTest, GenericLayoutStartsWithError) {
    PLOVMessenger store;
    auto* out = new PLOVStringStream;
    store.SetErrorStream(out);
    store.NewMessagePattern(14001, 1, "Incorrect or corrupted empirical distribution file '%1'.");
    store.NewMessageFromPattern(14001, "t.txt")->SetLine(4);
    store.PrintErrorMessages();
    EXPECT_EQ(out->GetText(), "Error code: 14001 line: 4\nIncorrect or corrupted empirical distribution file 't.txt'.\n---\n\n");
    EXPECT_EQ(store.GetNumberOfMessages(), 0);
}

TEST(PLOVStreamTest, RealsUseShortestFormWithTheStreamDigits) {
    PLOVStringStream s;
    for (double x : {0.1, 1.0 / 3.0, 1e-10, 8760.0}) {
        s.PrintDouble(x);
        s.PrintChar(' ');
    }
    s.SetNumberOfSignificantDigits(3);
    s.PrintDouble(1.0 / 3.0);
    s.PrintChar(' ');
    s.PrintInt(-42);
    EXPECT_EQ(s.GetText(), "0.1 0.333333 1e-10 8760 0.333 -42");
}

}  // namespace
