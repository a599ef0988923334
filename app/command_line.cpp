#include "app/command_line.h"

const char kDialogUsage[] =
    "usage: shapewright [FILE]\n"
    "       shapewright --help | --version\n"
    "\n"
    "Opens the Shapewright dialog, which converts an MSTS shape (.s), with the vehicle's ENG\n"
    "or WAG file, into a .stk model file. With FILE (a shape or an ENG/WAG file) the dialog\n"
    "starts as if Browse had chosen it.\n"
    "\n"
    "  --version  print the program's file description and version\n"
    "  --help     print this text\n"
    "\n"
    "Qt's own command-line options are accepted as well.\n";

DialogCommandLine ParseDialogCommandLine(const std::vector<std::string>& arguments) {
  DialogCommandLine command;
  for (const std::string& argument : arguments) {
    if (argument == "--") break;
    if (argument == "--help" || argument == "-h") {
      command.action = DialogCommandLine::Action::kHelp;
      return command;
    }
    if (argument == "--version") {
      command.action = DialogCommandLine::Action::kVersion;
      return command;
    }
  }
  bool options_ended = false;
  for (const std::string& argument : arguments) {
    if (!options_ended && argument == "--") {
      options_ended = true;
    } else if (!options_ended && argument.size() > 1 && argument[0] == '-') {
      command.action = DialogCommandLine::Action::kWrongUsage;
      command.problem = "unknown option " + argument;
      return command;
    } else if (!command.file.empty()) {
      command.action = DialogCommandLine::Action::kWrongUsage;
      command.problem = "one FILE at most, not also " + argument;
      return command;
    } else if (argument.empty()) {
      command.action = DialogCommandLine::Action::kWrongUsage;
      command.problem = "the FILE is empty";
      return command;
    } else {
      command.file = argument;
    }
  }
  return command;
}
