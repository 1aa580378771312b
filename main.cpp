// Quorvane: wires the window to the desktop and runs it. With --check it only starts,
// reads its database and says what it found (see start_up_check.h).
#include <QApplication>
#include <cstdio>
#include <string_view>

#include "app/main_window.h"
#include "app/prompt.h"
#include "app/start_up_check.h"

namespace {

constexpr char kUsage[] =
    "Usage: quorvane [--check | --help | --version] [Qt options]\n"
    "Tells how far apart US zip codes are, in statute miles, in a window.\n"
    "\n"
    "  --check    start without showing anything, read one distance from the database,\n"
    "             print what was found and exit (status 0 when all was well)\n"
    "  --help     print this text and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Qt's own options (-platform NAME, -style NAME, -reverse ...) are passed to Qt.\n"
    "quorvane-cli does the same work from scripts; see man quorvane-cli.\n";

// Qt's options that the window passes on, with whether each takes a value.
struct QtOption {
  std::string_view name;
  bool value;
};
constexpr QtOption kQtOptions[] = {
    {"-platform", true},        {"-platformpluginpath", true},
    {"-platformtheme", true},   {"-plugin", true},
    {"-qwindowgeometry", true}, {"-qwindowicon", true},
    {"-qwindowtitle", true},    {"-session", true},
    {"-display", true},         {"-geometry", true},
    {"-style", true},           {"-stylesheet", true},
    {"-reverse", false},        {"-nograb", false},
    {"-dograb", false},         {"-sync", false},
    {"-widgetcount", false},
};

enum class Wanted { Window, Check, Help, Version, Usage };

Wanted wanted(int argc, char** argv) {
  Wanted what = Wanted::Window;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") return Wanted::Help;
    if (arg == "--version") return Wanted::Version;
    if (arg == "--check") {
      what = Wanted::Check;
      continue;
    }
    const std::string_view name = arg.substr(arg.rfind("--", 0) == 0 ? 1 : 0);
    const QtOption* qt = nullptr;
    for (const QtOption& o : kQtOptions)
      if (name == o.name) qt = &o;
    if (!qt || (qt->value && ++i >= argc)) {
      std::fprintf(stderr, "quorvane: %s %s\n%s",
                   qt ? "a value is missing after" : "unknown option", argv[qt ? i - 1 : i],
                   kUsage);
      return Wanted::Usage;
    }
  }
  return what;
}

}  // namespace

int main(int argc, char** argv) {
  const Wanted what = wanted(argc, argv);
  switch (what) {
    case Wanted::Help:
      std::fputs(kUsage, stdout);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    case Wanted::Version:
      std::printf("quorvane %s\n", QUORVANE_VERSION);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    case Wanted::Usage:
      return 2;
    default:
      break;
  }
  // The check shows nothing, so it needs no display: without one it draws offscreen.
  const bool check = what == Wanted::Check;
  if (check && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
      qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvane"));
  QApplication::setOrganizationName(QStringLiteral("Kelvarin"));
  QApplication::setDesktopFileName(QStringLiteral("com.kelvarin.Quorvane"));

  // The settings are read, and the stored list split, on another core while Qt starts
  // and the window is built.
  auto settings = quorvane::load_settings_apart(quorvane::MainWindowEnvironment().maxListEntries);

  quorvane::PrintedPrompt printed;
  if (check) quorvane::Prompt::install(&printed);
  quorvane::install_trap_reporter();
  auto env = quorvane::MainWindowEnvironment::desktop(QApplication::applicationDirPath());
  if (check) env.openUrl = nullptr;  // a check opens no web page
  env.settings = [&settings] { return settings.get(); };
  quorvane::MainWindow window(std::move(env));
  quorvane::set_dialog_parent(&window);
  window.startUp();
  window.show();
  if (check) {
    QApplication::processEvents();
    return quorvane::start_up_check(window, printed);
  }
  return app.exec();
}
