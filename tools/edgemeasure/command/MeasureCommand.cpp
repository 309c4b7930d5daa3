#include "command/MeasureCommand.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>

#include "command/Batch.h"
#include "job/ToolError.h"
#include "measure/ImageRun.h"
#include "output/ImageIO.h"
#include "output/OutputFile.h"
#include "output/OverlayFiles.h"
#include "output/ResultJson.h"

namespace {

// Fails early when the folder that would receive a file does not exist.
void CheckOutputTarget(const std::string& path, const char* option) {
    if (path.empty()) {
        return;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        throw ToolError(std::string(option) + ": folder '" + folder.string() + "' does not exist");
    }
    if (std::filesystem::is_directory(path, error)) {
        throw ToolError(std::string(option) + ": '" + path + "' is a folder, not a file");
    }
}

void WriteResults(const nlohmann::ordered_json& document, const std::string& output) {
    const std::string text = JsonText(document);
    if (output.empty()) {
        std::cout << text << std::flush;
    } else {
        WriteFileAtomically(output, text);
    }
}

// File names of the overlays of one image in the overlay folder: the image's name without its
// extension, or the whole name when another image of the batch already used that stem.
class OverlayNames {
  public:
    explicit OverlayNames(std::string folder) : m_folder(std::move(folder)) {}
    std::string For(const std::string& imagePath) {
        const std::filesystem::path image(imagePath);
        std::string stem = image.stem().string();
        if (!m_used.insert(stem).second) {
            stem = image.filename().string();
        }
        return (std::filesystem::path(m_folder) / (stem + ".overlay")).string();
    }

  private:
    std::string m_folder;
    std::set<std::string> m_used;
};

void WriteOverlays(const ImageRun& run, const std::string& png, const std::string& svg) {
    if (!png.empty()) {
        WriteOverlayPng(run, png);
    }
    if (!svg.empty()) {
        WriteOverlaySvg(run, svg);
    }
}

// The image is read before the overlay folder is made, so that a bad image leaves nothing behind.
int RunSingle(const CommandLine& command, const Job& job, const std::string& imagePath) {
    OType_Image image = LoadGreyImage(imagePath);
    if (!command.overlayDir.empty()) {
        MakeOutputFolder(command.overlayDir);
    }
    const bool drawOverlay =
        !command.overlayPng.empty() || !command.overlaySvg.empty() || !command.overlayDir.empty();
    const ImageRun run = MeasureImage(std::move(image), imagePath, job, drawOverlay);
    WriteOverlays(run, command.overlayPng, command.overlaySvg);
    if (!command.overlayDir.empty()) {
        const std::string base = OverlayNames(command.overlayDir).For(imagePath);
        WriteOverlays(run, base + ".png", base + ".svg");
    }
    WriteResults(ResultDocument(ImageRunJson(run)), command.output);
    return run.AllOk() ? kExitOk : kExitMeasurementFailed;
}

int RunBatch(const CommandLine& command, const Job& job, const std::string& folder) {
    if (!command.overlayPng.empty() || !command.overlaySvg.empty()) {
        throw ToolError("--overlay and --svg name one file; use --overlay-dir with a folder");
    }
    const std::vector<std::string> files = ListImages(folder);
    OverlayNames names(command.overlayDir);
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    bool allOk = true;
    bool anyUnreadable = false;
    ProgressLine progress(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        progress.Show(i + 1, std::filesystem::path(files[i]).filename().string());
        try {
            const ImageRun run =
                MeasureImage(LoadGreyImage(files[i]), files[i], job, !command.overlayDir.empty());
            if (!command.overlayDir.empty()) {
                const std::string base = names.For(files[i]);
                WriteOverlays(run, base + ".png", base + ".svg");
            }
            allOk = allOk && run.AllOk();
            entries.push_back(ImageRunJson(run));
        } catch (const ToolError& error) {
            progress.Clear();
            std::fprintf(stderr, "edgemeasure: error: %s\n", error.what());
            anyUnreadable = true;
            entries.push_back(ImageErrorJson(files[i], error.what()));
        }
    }
    progress.Clear();
    WriteResults(BatchResultDocument(std::move(entries)), command.output);
    return anyUnreadable ? kExitBadInput : allOk ? kExitOk : kExitMeasurementFailed;
}

}  // namespace

int RunMeasureCommand(const CommandLine& command) {
    const Job job = BuildJob(command);
    const std::string input = !command.input.empty() ? command.input : job.image.value_or("");
    if (input.empty()) {
        throw ToolError("no image given (name an image or folder, or \"image\" in the job)");
    }
    CheckOutputTarget(command.output, "--output");
    CheckOutputTarget(command.overlayPng, "--overlay");
    CheckOutputTarget(command.overlaySvg, "--svg");
    std::error_code error;
    if (std::filesystem::is_directory(input, error)) {
        if (!command.overlayDir.empty()) {
            MakeOutputFolder(command.overlayDir);
        }
        return RunBatch(command, job, input);
    }
    return RunSingle(command, job, input);
}
