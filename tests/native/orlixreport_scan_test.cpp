#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "tests/native/test_files.h"
#include "tests/support/tool_run.h"
#include "cli/source_options.h"
#include "cli/table_output.h"

namespace orlix::cli {
namespace {

const std::string kData = std::string(ORLIX_TEST_DATA) + "/scan/";

using testing_support::ReadAll;

TEST(TableOutput, TsvKeepsEveryRowOnOneLine) {
  EXPECT_EQ(EscapeTsvCell("a\tb\nc\rd\\e"), "a\\tb\\nc\\rd\\\\e");
  EXPECT_EQ(EscapeTsvCell("C:\\x"), "C:\\\\x");
  EXPECT_EQ(EscapeTsvCell("caf\xC3\xA9 \"q\""), "caf\xC3\xA9 \"q\"");
  std::ostringstream out;  // whole files are compared in the scans below
  WriteTsv(out, {"H1", "H2"}, {{"a\tb", ""}, {"", "line\nbreak"}});
  EXPECT_EQ(out.str(), "H1\tH2\na\\tb\t\n\tline\\nbreak\n");
}

TEST(TableOutput, JsonStringsAreEscapedAndAlwaysValidUtf8) {
  EXPECT_EQ(JsonString(""), "\"\"");
  EXPECT_EQ(JsonString("say \"hi\" C:\\x"), "\"say \\\"hi\\\" C:\\\\x\"");
  EXPECT_EQ(JsonString("\b\f\n\r\t"), "\"\\b\\f\\n\\r\\t\"");
  EXPECT_EQ(JsonString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\x7f\"");
  EXPECT_EQ(JsonString(std::string("a\0b", 3)), "\"a\\u0000b\"");
  // Well-formed UTF-8 passes unchanged, up to four-byte sequences.
  EXPECT_EQ(JsonString("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"), "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\"");
  // A raw ANSI byte, a cut sequence, an overlong form, a surrogate and a value past U+10FFFF.
  EXPECT_EQ(JsonString("caf\xE9"), "\"caf\\ufffd\"");
  EXPECT_EQ(JsonString("\xE2\x82"), "\"\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonString("\xC0\xAF"), "\"\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonString("\xF4\x90\x80\x80"), "\"\\ufffd\\ufffd\\ufffd\\ufffd\"");
}

TEST(SourceOptions, TakesEitherSourceOnceInBothSpellingsWithAValue) {
  const std::vector<std::string> args{"--registry", "a.reg", "--json", "--wine-prefix=/p", "--registry", "b"};
  SourceOptions options, prefixOnly;
  std::string error;
  std::size_t i = 0;
  EXPECT_EQ(TakeSourceOption(args, &i, &options, &error), OptionResult::Taken);
  EXPECT_EQ(i, 2u);
  EXPECT_EQ(options.registryFile, "a.reg");
  EXPECT_EQ(TakeSourceOption(args, &i, &options, &error), OptionResult::NotMine);
  EXPECT_EQ(i, 2u);
  for (const auto& [at, mentions] : {std::pair{3, "not both"}, {4, "twice"}}) {
    i = static_cast<std::size_t>(at);
    EXPECT_EQ(TakeSourceOption(args, &i, &options, &error), OptionResult::Error);
    EXPECT_NE(error.find(mentions), std::string::npos) << error;
  }
  EXPECT_EQ(options.registryFile, "a.reg");
  i = 3;
  EXPECT_EQ(TakeSourceOption(args, &i, &prefixOnly, &error), OptionResult::Taken);
  EXPECT_EQ(i, 4u);
  EXPECT_EQ(prefixOnly.winePrefix, "/p");
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"--registry"}, {"--registry="}, {"--wine-prefix", ""}}) {
    SourceOptions none;
    i = 0;
    EXPECT_EQ(TakeSourceOption(bad, &i, &none, &error), OptionResult::Error) << bad[0];
    EXPECT_NE(error.find("needs a value"), std::string::npos);
  }
}

TEST(SourceOptions, DefaultWinePrefixPrefersTheVariableThenHome) {
  EXPECT_EQ(DefaultWinePrefix("/opt/prefix", "/home/u"), "/opt/prefix");
  EXPECT_EQ(DefaultWinePrefix("", "/home/u"), "/home/u/.wine");
  EXPECT_EQ(DefaultWinePrefix(nullptr, "/home/u/"), "/home/u/.wine");
  EXPECT_EQ(DefaultWinePrefix(nullptr, nullptr), "");
  EXPECT_EQ(DefaultWinePrefix("", ""), "");
}

TEST(OrlixreportScan, WritesTheComponentsOfARegistryExport) {
  const ToolRun tsv = Orlixreport({"scan", "--registry", kData + "classes.reg"});
  EXPECT_EQ(tsv.status, 0) << tsv.err;
  EXPECT_EQ(tsv.err, "");
  EXPECT_EQ(tsv.out, ReadAll(kData + "classes.tsv"));

  const ToolRun json = Orlixreport({"scan", "--json", "--registry=" + kData + "classes.reg"});
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out, ReadAll(kData + "classes.json"));
}

TEST(OrlixreportScan, NoComponentsGivesTheHeaderOrAnEmptyArray) {
  const ToolRun tsv = Orlixreport({"scan", "--registry", kData + "no_components.reg"});
  EXPECT_EQ(tsv.status, 0) << tsv.err;
  EXPECT_EQ(tsv.out, "ProgID\tFile Path\tVersion\tAttribute\tCLSID\n");
  const ToolRun json = Orlixreport({"scan", "--registry", kData + "no_components.reg", "--json"});
  EXPECT_EQ(json.out, "[]\n");
}

TEST(OrlixreportScan, BadInputFailsWithOneLine) {
  ExpectOneLineFailure(Orlixreport({"scan", "--registry", kData + "missing.reg"}), "missing.reg");
  ExpectOneLineFailure(Orlixreport({"scan", "--registry", kData + "not_a_registry.txt"}), "not_a_registry.txt");
  ExpectOneLineFailure(Orlixreport({"scan", "--wine-prefix", kData + "no-such-prefix"}), "no-such-prefix");
  ExpectOneLineFailure(Orlixreport({"scan", "--registry"}), "--registry needs a value");
  ExpectOneLineFailure(Orlixreport({"scan", "--registry", "a", "--wine-prefix", "b"}), "not both");
  ExpectOneLineFailure(Orlixreport({"scan", "--csv"}), "unknown option '--csv'");
  ExpectOneLineFailure(Orlixreport({"scan", "extra"}), "unknown argument 'extra'");
  ExpectOneLineFailure(Orlixreport({"frobnicate"}), "unknown command 'frobnicate'");
  ExpectOneLineFailure(Orlixreport({}), "no command");
}

TEST(OrlixreportScan, HelpAndVersion) {
  const ToolRun help = Orlixreport({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("scan"), std::string::npos);
  const ToolRun scanHelp = Orlixreport({"scan", "-h", "--bogus"});
  EXPECT_EQ(scanHelp.status, 0);
  EXPECT_NE(scanHelp.out.find("--wine-prefix DIR"), std::string::npos);
  EXPECT_NE(scanHelp.out.find("--json"), std::string::npos);
  const ToolRun version = Orlixreport({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("orlixreport ", 0), 0u);
  EXPECT_EQ(version.out.back(), '\n');
}

}  // namespace
}  // namespace orlix::cli
