// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/ExportDialog.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <limits>
#include <memory>

namespace {

QString& LastFolder() {
  static QString folder = QDir::homePath();
  return folder;
}

// While a slow kind is made, the windows repaint but take no clicks or keys
// except in the progress window, also before it shows: a second export or a
// card erased half-way must wait.
class InputOnlyFor : public QObject {
 public:
  explicit InputOnlyFor(QWidget* allowed) : allowed_(allowed) { qApp->installEventFilter(this); }
  ~InputOnlyFor() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
      case QEvent::Shortcut:
      case QEvent::Close: {
        auto* widget = qobject_cast<QWidget*>(watched);
        return widget && widget != allowed_ && !allowed_->isAncestorOf(widget);
      }
      default:
        return false;
    }
  }

 private:
  QWidget* allowed_;
};

}  // namespace

QFileDialog* MakeExportDialog(QWidget* parent) {
  const std::vector<const ExportFormat*>& formats = ExportFormats();
  auto* dialog = new QFileDialog(parent, QStringLiteral("ホームページのファイル名入力"), LastFolder());
  dialog->setObjectName(QStringLiteral("CommonDialog1"));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setDefaultSuffix(formats.front()->Extension());
  QStringList filters;
  for (const ExportFormat* format : formats) filters << format->Filter();
  filters.insert(1, QStringLiteral("すべて (*)"));
  dialog->setNameFilters(filters);
  // A name typed without ending gets the ending of the kind chosen.
  QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString& filter) {
    const ExportFormat* chosen = ExportFormats().front();
    for (const ExportFormat* format : ExportFormats()) {
      if (format->Filter() == filter) chosen = format;
    }
    dialog->setDefaultSuffix(chosen->Extension());
  });
  return dialog;
}

std::optional<QString> AskExportFile(QWidget* parent) {
  std::unique_ptr<QFileDialog> dialog(MakeExportDialog(parent));
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog->selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
  LastFolder() = QFileInfo(files.first()).absolutePath();
  return files.first();
}

namespace {

// Makes a slow kind on a worker thread while this thread keeps the windows
// live and shows how far it is. The progress window and the hold on input
// live only as long as this call: whatever is shown after it can be
// answered.
ExportOutcome WriteInBackground(const ExportFormat& format, const ExportStory& story, const QString& chosenHostPath,
                                QWidget* dialogParent) {
  std::atomic<bool> cancel{false};
  ExportOutcome outcome;
  QProgressDialog progress(format.ProgressText(), QStringLiteral("やめる"), 0, 1000, dialogParent);
  progress.setObjectName(QStringLiteral("ExportProgress"));
  progress.setWindowTitle(format.ProgressTitle());
  progress.setWindowModality(Qt::ApplicationModal);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  // Shown by the timer below, never earlier by the dialog's own guess.
  progress.setMinimumDuration(std::numeric_limits<int>::max());
  progress.setValue(0);
  QTimer showLater;
  showLater.setSingleShot(true);
  showLater.setTimerType(Qt::PreciseTimer);
  QObject::connect(&showLater, &QTimer::timeout, &progress, [&] {
    if (!cancel) progress.show();
  });
  QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] { cancel = true; });

  std::atomic<int> shown{-1};
  const ExportProgress report = [&](int done, int total) {
    const int permille = total > 0 ? int(qint64(done) * 1000 / total) : 0;
    if (shown.exchange(permille) == permille) return;
    QMetaObject::invokeMethod(
        &progress, [&progress, permille] { if (!progress.wasCanceled()) progress.setValue(permille); },
        Qt::QueuedConnection);
  };
  std::unique_ptr<QThread> worker(
      QThread::create([&] { outcome = format.Write(story, chosenHostPath, report, &cancel); }));
  const InputOnlyFor input(&progress);
  QEventLoop loop;
  QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
  worker->start();
  showLater.start(kExportProgressDelayMs);
  loop.exec();
  worker->wait();
  progress.hide();
  return outcome;
}

const ExportFormat& FormatFor(const QString& chosenHostPath) {
  const std::vector<const ExportFormat*>& formats = ExportFormats();
  for (const ExportFormat* format : formats) {
    if (format->Accepts(chosenHostPath)) return *format;
  }
  return *formats.front();
}

}  // namespace

void ExportStoryToChosenFile(const ExportStory& story, Dialogs& dialogs, QWidget* dialogParent,
                             const ChooseExportFile& choose) {
  const std::optional<QString> chosen = choose(dialogParent);
  if (!chosen || QFileInfo(*chosen).fileName().isEmpty()) {
    dialogs.Beep();
    return;
  }
  if (story.cardNumbers.isEmpty()) {
    dialogs.Beep();  // nothing to write
    return;
  }
  const ExportFormat& format = FormatFor(*chosen);
  const ExportOutcome outcome = format.Slow() ? WriteInBackground(format, story, *chosen, dialogParent)
                                              : format.Write(story, *chosen, {}, nullptr);
  // Only now, with a slow kind's hold on clicks and keys gone, may the
  // child be told: a message box under that hold takes no answer.
  const QString message = format.Message(outcome);
  if (!message.isEmpty()) dialogs.Tell(message);
}
