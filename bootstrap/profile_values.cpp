#include "bootstrap/profile_values.h"

namespace bootstrap {
namespace {

constexpr const char kCompilerNone[] = "-Djava.compiler=NONE";
constexpr const char kLibraryPath[] = "-Djava.library.path=.;..\\..\\Common;..\\..\\Orvex";
constexpr const char kReduceSignals[] = "-Xrs";
constexpr const char kNoDirectDraw[] = "-Dsun.java2d.noddraw=true";
constexpr const char kKvlDirectory[] = "-DKVL_DIRECTORY=..\\KVL";

constexpr const char kQdxClient[] = "..\\..\\Common\\QDX\\qdxclient.jar";
constexpr const char kKvlClient[] = "..\\..\\Common\\KVL\\KVLClient.jar";

// The ten archives that every class path ends with, in order.
constexpr const char* kSharedArchives[] = {
    "..\\..\\Common\\KVL\\KVLUtilities.jar",
    "..\\..\\Common\\KVL\\Kovalite.jar",
    "..\\classes\\axis.jar",
    "..\\classes\\commons-discovery-0.2.jar",
    "..\\classes\\commons-logging-1.0.4.jar",
    "..\\classes\\jaxrpc.jar",
    "..\\classes\\log4j-1.2.8.jar",
    "..\\classes\\saaj.jar",
    "..\\classes\\wsdl4j-1.5.1.jar",
    "..\\classes\\servlet.jar",
};

std::string joinedClassPath(const std::string& first, const char* second, const char* third) {
  std::string path = first + ";" + second + ";" + third;
  for (const char* archive : kSharedArchives) {
    path += ";";
    path += archive;
  }
  return path;
}

}  // namespace

const std::vector<OptionTemplateEntry>& sixOptionTemplate() {
  static const std::vector<OptionTemplateEntry> entries = {
      classPathOption(),          literalOption(kCompilerNone), literalOption(kLibraryPath),
      literalOption(kReduceSignals), literalOption(kNoDirectDraw), literalOption(kKvlDirectory),
  };
  return entries;
}

const std::vector<OptionTemplateEntry>& fiveOptionTemplate() {
  static const std::vector<OptionTemplateEntry> entries = {
      classPathOption(),          literalOption(kCompilerNone), literalOption(kLibraryPath),
      literalOption(kReduceSignals), literalOption(kNoDirectDraw),
  };
  return entries;
}

const std::vector<OptionTemplateEntry>& reportServerTemplate() {
  static const std::vector<OptionTemplateEntry> entries = {
      literalOption(kCompilerNone),
      classPathOption(),
      literalOption(kReduceSignals),
  };
  return entries;
}

std::string consoleClassPath(const std::string& firstEntry) {
  return joinedClassPath(firstEntry, kQdxClient, kKvlClient);
}

std::string collectionServerClassPath() { return joinedClassPath(".\\collector.jar", kKvlClient, kQdxClient); }

}  // namespace bootstrap
