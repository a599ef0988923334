// The dialog's command line, as main() reads it before and after Qt takes its own options.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

using Action = DialogCommandLine::Action;

TEST(DialogCommandLine, ArgumentsGiveTheActionAndTheFile) {
  struct Case {
    std::vector<std::string> arguments;
    Action action;
    std::string file;
  } cases[] = {
      {{}, Action::kShowDialog, ""},
      {{"Loco.eng"}, Action::kShowDialog, "Loco.eng"},
      {{"--help"}, Action::kHelp, ""},
      {{"--version"}, Action::kVersion, ""},
      // Answered first, whatever else is there (Qt's options have not been taken out yet).
      {{"-platform", "offscreen", "--version"}, Action::kVersion, ""},
      {{"a.eng", "--help", "b.eng"}, Action::kHelp, ""},
      {{"--", "--help"}, Action::kShowDialog, "--help"},
      {{"-"}, Action::kShowDialog, "-"},
      {{"--verbose"}, Action::kWrongUsage, ""},
      {{"-platform", "offscreen"}, Action::kWrongUsage, ""},
      {{"a.eng", "b.eng"}, Action::kWrongUsage, "a.eng"},
      {{""}, Action::kWrongUsage, ""},
  };
  for (const Case& c : cases) {
    DialogCommandLine command = ParseDialogCommandLine(c.arguments);
    std::string shown;
    for (const std::string& argument : c.arguments) shown += "[" + argument + "]";
    EXPECT_EQ(command.action, c.action) << shown;
    EXPECT_EQ(command.file, c.file) << shown;
    EXPECT_EQ(command.problem.empty(), c.action != Action::kWrongUsage) << shown;
  }
}

}  // namespace
