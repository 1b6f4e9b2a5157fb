// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "folderOpener.h"

#include <QProcess>

#include "displayText.h"
#include "errorDisplay.h"
#include "pathEncoding.h"

namespace kestrova::tree {
namespace {

const QString kLauncher = QStringLiteral("xdg-open");
constexpr qsizetype kKeptErrorBytes = 4096;

// One run of the launcher that reports how it went.
class TLaunch final : public QProcess {
 public:
  TLaunch(std::string path, QObject* owner) : QProcess(owner), path_(std::move(path)) {
    setProgram(kLauncher);
    setArguments({QString::fromStdString(FileUrl(path_))});
    setStandardInputFile(nullDevice());
    setStandardOutputFile(nullDevice());
    connect(this, &QProcess::readyReadStandardError, this, &TLaunch::KeepErrors);
    connect(this, &QProcess::errorOccurred, this, &TLaunch::Failed);
    connect(this, &QProcess::finished, this, &TLaunch::Ended);
  }

  // An owner that goes first takes the launcher with it, without a word: the file manager that
  // the launcher may have started runs on by itself.
  ~TLaunch() override {
    disconnect();
    if (state() != NotRunning) {
      kill();
      waitForFinished(1000);
    }
  }

 private:
  // A file manager that the launcher runs in the foreground may talk for as long as it runs:
  // only the end of what it says is kept.
  void KeepErrors() {
    errors_.append(readAllStandardError());
    if (errors_.size() > kKeptErrorBytes) errors_.remove(0, errors_.size() - kKeptErrorBytes);
  }

  void Failed(QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;  // the others end in Ended
    RunHandler([&] { Show(QStringLiteral("无法启动 %1（%2）").arg(kLauncher, errorString())); });
    deleteLater();
  }

  void Ended(int exitCode, QProcess::ExitStatus status) {
    RunHandler([&] {
      KeepErrors();
      if (status == QProcess::CrashExit) {
        Show(QStringLiteral("%1 异常结束").arg(kLauncher));
      } else if (exitCode != 0) {
        // xdg-open explains itself on standard error; its last line is the one that matters.
        const QList<QByteArray> lines = errors_.trimmed().split('\n');
        const std::string said = lines.back().trimmed().toStdString();
        QString why = QStringLiteral("%1 以退出码 %2 结束").arg(kLauncher).arg(exitCode);
        if (!said.empty()) why += QStringLiteral("：") + QString::fromStdString(DisplayText(said));
        Show(why);
      }
    });
    deleteLater();
  }

  void Show(const QString& why) const {
    const QString message =
        QStringLiteral("无法打开“%1”：%2").arg(QString::fromStdString(DisplayText(path_)), why);
    ShowHandlerError(message.toStdString());
  }

  std::string path_;
  QByteArray errors_;
};

}  // namespace

void OpenInFileManager(const std::string& path, QObject* owner) {
  (new TLaunch(path, owner))->start();
}

}  // namespace kestrova::tree
