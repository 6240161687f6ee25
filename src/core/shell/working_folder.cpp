#include "core/shell/working_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <string>

#include "core/excel/table_definition.h"
#include "core/foundation/questions.h"
#include "core/shell/shell_state.h"
#include "core/store/environment.h"
#include "core/store/skeleton_layout.h"

namespace quilto {
namespace {

constexpr char kWorkingFolderKey[] = "WorkingFolder";

QString Absolute(const QString& folder, const QString& base) {
    return QDir::cleanPath(QDir(base).absoluteFilePath(folder));
}

bool HoldsEnvironmentFile(const QString& folder) {
    const QString name = QString::fromLatin1(kEnvironmentFileName.data(),
                                             static_cast<qsizetype>(kEnvironmentFileName.size()));
    return QFileInfo(QDir(folder).filePath(name)).isFile();
}

// Lays folder out; says why when it cannot.
bool LaidOut(const QString& skeleton, const QString& folder, Questions& questions,
             bool* skeletonMissing) {
    // A definition the folder has keeps having no invoice item placed until the user places
    // them: the shipped cells are those of the shipped templates.
    const SkeletonLayout layout = LayOutFromSkeleton(skeleton, folder, [](const QString& target) {
        return !IsInvoiceFileOfAnEarlierDefinition(target);
    });
    if (layout.status == SkeletonLayout::Status::kDone) return true;
    *skeletonMissing = layout.status == SkeletonLayout::Status::kNoSkeleton;
    questions.Inform(SkeletonLayoutFailureMessage(layout, skeleton), kFolderQuestionCaption);
    return false;
}

void Remember(const QString& configFile, const QString& folder, Questions& questions) {
    QString error;
    if (RememberWorkingFolder(configFile, folder, &error)) return;
    questions.Inform("作業フォルダ " + folder.toStdString() + " を " + configFile.toStdString() +
                         " に記録できません: " + error.toStdString() +
                         "\n今回はこのフォルダで始めます。次の起動でもう一度たずねます。",
                     kFolderQuestionCaption);
}

// Asks until a folder is chosen and laid out; nullopt when the user cancels or there is no
// skeleton to lay out from.
std::optional<QString> AskAndLayOut(std::string message, QString proposal, const QString& base,
                                    const QString& skeleton, Questions& questions) {
    for (;;) {
        const std::optional<std::string> answer =
            questions.AskFolder(kFolderQuestionCaption, message, proposal.toStdString());
        if (!answer) return std::nullopt;
        const QString text = QString::fromStdString(*answer).trimmed();
        if (text.isEmpty()) continue;
        const QString folder = Absolute(text, base);
        bool skeletonMissing = false;
        if (LaidOut(skeleton, folder, questions, &skeletonMissing)) return folder;
        if (skeletonMissing) return std::nullopt;
        proposal = folder;
    }
}

}  // namespace

WorkingFolderDecision DecideWorkingFolder(const QString& commandLine, const QString& current,
                                          const QString& remembered) {
    if (!commandLine.isEmpty())
        return {WorkingFolderSource::kCommandLine, Absolute(commandLine, current)};
    if (!current.isEmpty() && HoldsEnvironmentFile(current))
        return {WorkingFolderSource::kCurrentFolder, QDir::cleanPath(current)};
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return {WorkingFolderSource::kRemembered, QDir::cleanPath(remembered)};
    return {};
}

QString UserConfigFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quilto/quilto.conf");
}

QString RememberedWorkingFolder(const QString& configFile) {
    if (!QFileInfo(configFile).isFile()) return {};
    const QSettings settings(configFile, QSettings::IniFormat);
    return settings.value(QLatin1String(kWorkingFolderKey)).toString();
}

bool RememberWorkingFolder(const QString& configFile, const QString& folder, QString* error) {
    const QString configFolder = QFileInfo(configFile).absolutePath();
    if (!QDir().mkpath(configFolder)) {
        *error = configFolder + QStringLiteral(" を作れません");
        return false;
    }
    QSettings settings(configFile, QSettings::IniFormat);
    settings.setValue(QLatin1String(kWorkingFolderKey), folder);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        *error = QFileInfo(configFolder).isWritable()
                     ? QStringLiteral("書き込めません")
                     : QStringLiteral("書き込みが許可されていません");
        return false;
    }
    return true;
}

QString DocumentsFolder() {
    // The desktop's own tool knows its rules best (a folder not configured is the home
    // folder there, where Qt would guess ~/Documents).
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-user-dir"));
    if (!tool.isEmpty()) {
        QProcess process;
        process.start(tool, {QStringLiteral("DOCUMENTS")});
        if (process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit &&
            process.exitCode() == 0) {
            const QString folder =
                QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
            if (!folder.isEmpty()) return folder;
        }
    }
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString ProposedWorkingFolder() {
    return QDir(DocumentsFolder()).filePath(QStringLiteral("Quilto"));
}

QString SkeletonFolder(const QString& programFolder) {
    const QDir folder(programFolder);
    const QString built = folder.absoluteFilePath(QStringLiteral("skeleton"));
    const QString installed =
        QDir::cleanPath(folder.absoluteFilePath(QStringLiteral("../share/quilto/skeleton")));
    return QFileInfo(built).isDir() ? built : installed;
}

QString MainMenuCaption(const QString& folder, const QString& home) {
    QString caption = QStringLiteral("見積作成 (") + QString::fromUtf8(kProgramName) + ")";
    if (folder.isEmpty()) return caption;
    const QFileInfo info(QDir::cleanPath(folder));
    QString parent = info.absolutePath();
    const QString cleanHome = QDir::cleanPath(home);
    if (!cleanHome.isEmpty() && cleanHome != QLatin1String("/")) {
        if (parent == cleanHome)
            parent = QStringLiteral("~");
        else if (parent.startsWith(cleanHome + '/'))
            parent = QStringLiteral("~") + parent.mid(cleanHome.size());
    }
    const QString name = info.fileName().isEmpty() ? info.absoluteFilePath() : info.fileName();
    if (info.fileName().isEmpty()) return caption + " - " + name;
    return caption + " - " + name + " (" + parent + ")";
}

std::string MissingRememberedMessage(const QString& remembered) {
    return "前回の作業フォルダ " + remembered.toStdString() +
           " が見つかりません。\n共有フォルダなら、つながっているか確かめてください。\n";
}

std::optional<QString> SettleWorkingFolder(const FolderStart& start, Questions& questions) {
    const QString remembered = RememberedWorkingFolder(start.configFile);
    const WorkingFolderDecision decision =
        DecideWorkingFolder(start.commandLine, start.current, remembered);
    switch (decision.source) {
        case WorkingFolderSource::kCurrentFolder:
            // Started in a working folder, as the program always could be: used as it is.
            return decision.folder;
        case WorkingFolderSource::kCommandLine:
        case WorkingFolderSource::kRemembered: {
            bool skeletonMissing = false;
            if (!LaidOut(start.skeleton, decision.folder, questions, &skeletonMissing))
                return std::nullopt;
            // A folder named at the very first start answers the first-start question.
            if (decision.source == WorkingFolderSource::kCommandLine && remembered.isEmpty())
                Remember(start.configFile, decision.folder, questions);
            return decision.folder;
        }
        case WorkingFolderSource::kNone:
            break;
    }
    const bool lost = !remembered.isEmpty();
    const std::string message =
        lost ? MissingRememberedMessage(remembered) + kChangeFolderQuestion : kFirstStartQuestion;
    const std::optional<QString> chosen = AskAndLayOut(message, lost ? remembered : start.proposal,
                                                       start.current, start.skeleton, questions);
    if (chosen) Remember(start.configFile, *chosen, questions);
    return chosen;
}

std::optional<QString> ChangeWorkingFolder(const QString& inUse, const QString& configFile,
                                           const QString& skeleton, Questions& questions) {
    const std::optional<QString> chosen =
        AskAndLayOut(kChangeFolderQuestion, inUse, inUse, skeleton, questions);
    if (chosen) Remember(configFile, *chosen, questions);
    return chosen;
}

}  // namespace quilto
