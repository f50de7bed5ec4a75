#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include "store/project_paths.h"

namespace hdmjm {
namespace {

QString FromPath(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

QString Description() {
  return QStringLiteral(
             "录入设计方案中每条道路的横断面标准数据 (路基限宽、路面、边坡、边沟、挡墙等), "
             "保存在方案数据库中。\n\n"
             "不给出项目时, 打开可执行文件旁 %1 文件所指的项目, 否则打开上次打开的项目, "
             "否则显示打开项目的页面。")
      .arg(FromPath(WorkdirFile({})));
}

QString ProjectArgumentHelp() {
  return QStringLiteral(
             "项目的基础文件夹 (含有 %1 的文件夹)、项目文件夹 %1, 或者一个方案数据库文件。")
      .arg(FromPath(ProjectFolderOf({})));
}

CommandLine Exit(int code, const QString& text) {
  return {true, code, text.toStdString(), std::nullopt};
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(Description());
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("显示本帮助并退出。"));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("显示版本并退出。"));
  parser.addOption(help);
  parser.addOption(version);
  parser.addPositionalArgument(QStringLiteral("PROJECT"), ProjectArgumentHelp(),
                               QStringLiteral("[PROJECT | SCHEME.mdb]"));
  const QString program = QCoreApplication::applicationName();
  const QString usage = QStringLiteral("用法: %1 [PROJECT | SCHEME.mdb]; %1 --help 说明选项。\n");
  if (!parser.parse(arguments)) {
    const QStringList unknown = parser.unknownOptionNames();
    const QString what =
        unknown.isEmpty() ? parser.errorText() : QStringLiteral("未知选项: ") + unknown.join(' ');
    return Exit(kExitUsage, program + QStringLiteral(": ") + what + '\n' + usage.arg(program));
  }
  // Without an application object the parser cannot know the program's name.
  if (parser.isSet(help))
    return Exit(0, parser.helpText().replace(QStringLiteral("<executable_name>"), program));
  if (parser.isSet(version)) return Exit(0, program + QStringLiteral(" " HDMJM_VERSION "\n"));
  const QStringList given = parser.positionalArguments();
  if (given.size() > 1)
    return Exit(kExitUsage, program + QStringLiteral(": 只能打开一个项目或方案数据库。\n") +
                                usage.arg(program));
  CommandLine line;
  if (!given.isEmpty()) line.project = QFile::encodeName(given.front()).toStdString();
  return line;
}

}  // namespace hdmjm
