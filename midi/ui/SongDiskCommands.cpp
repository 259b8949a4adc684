#include "midi/ui/SongDiskCommands.h"

#include "core/Messages.h"
#include "midi/SongDiskFiles.h"

namespace veldin::fennet {

namespace {

std::optional<ui::FileChoice> AskImage(ui::ModuleFrame& frame, const QString& title) {
    ui::FileRequest req;
    req.save = true;
    req.title = title;
    req.directory = QString::fromStdString(frame.imageDirectory().string());
    req.defaultSuffix = QStringLiteral("sdk");
    for (const auto& t : midi::SongDiskTypes())
        req.filters << QString::fromUtf8(t.filter.data(), static_cast<qsizetype>(t.filter.size()));
    return frame.chooseFile(req);
}

} // namespace

void InstallSongDiskCommands(ui::ModuleFrame& frame) {
    frame.newCommand = [&frame] {
        const auto choice = AskImage(frame, QStringLiteral("Create New..."));
        if (!choice) return;
        const std::filesystem::path path = choice->path.toStdString();
        // The chooser's filter index counts from 0, the types from 1.
        const Status s = midi::MakeSongDisk(frame.workspace().files, frame.mainDirectory(), choice->filter + 1, path);
        if (!s) return frame.interaction().report(s.failure(), text::kTitleMidiEditor);
        frame.openImage(path);
    };
    frame.saveAsCommand = [&frame] {
        const Document* doc = frame.activeDocument();
        if (!doc) return;
        const auto choice = AskImage(frame, QStringLiteral("Save As..."));
        if (!choice) return;
        const Status s = midi::SaveSongDiskAs(frame.workspace().files, frame.mainDirectory(), *doc, choice->filter + 1,
                                              choice->path.toStdString());
        if (!s) frame.interaction().report(s.failure(), text::kTitleMidiEditor);
        frame.updateCommands();
    };
}

} // namespace veldin::fennet
