#include "command/MeasureCommand.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>

#include "command/Batch.h"
#include "image/ImageLoader.h"
#include "job/ToolError.h"
#include "measure/ImageRun.h"
#include "output/ImageIO.h"
#include "output/OutputFile.h"
#include "output/OverlayFiles.h"
#include "output/ResultCsv.h"
#include "output/ResultJson.h"

namespace {

constexpr const char* kStandardOutput = "-";

bool ToStandardOutput(const std::string& path) {
    return path.empty() || path == kStandardOutput;
}

// Fails early when the folder that would receive a file does not exist.
void CheckOutputTarget(const std::string& path, const char* option) {
    if (path.empty() || path == kStandardOutput) {
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

void WriteText(const std::string& text, const std::string& path) {
    if (ToStandardOutput(path)) {
        std::cout << text << std::flush;
    } else {
        WriteFileAtomically(path, text);
    }
}

// File names of the overlays of one image in the overlay folder: the image's name without its
// extension, or the whole name when another image of the batch already used that stem.
class OverlayNames {
  public:
    explicit OverlayNames(std::string folder) : m_folder(std::move(folder)) {}
    std::string For(const std::string& imagePath) {
        const std::filesystem::path image(imagePath == kStandardInputPath ? "stdin" : imagePath);
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

// The images of the inputs: files and "-" as given, folders by their image files.
std::vector<std::string> ImagePaths(const std::vector<std::string>& inputs, bool& anyFolder) {
    std::vector<std::string> paths;
    int standardInputs = 0;
    for (const std::string& input : inputs) {
        std::error_code error;
        if (input != kStandardInputPath && std::filesystem::is_directory(input, error)) {
            anyFolder = true;
            const std::vector<std::string> files = ListImages(input);
            paths.insert(paths.end(), files.begin(), files.end());
        } else {
            standardInputs += input == kStandardInputPath ? 1 : 0;
            paths.push_back(input);
        }
    }
    if (standardInputs > 1) {
        throw ToolError("-: standard input holds one image; name it once");
    }
    return paths;
}

class MeasureRun {
  public:
    MeasureRun(const CommandLine& command, const Job& job) : m_command(command), m_job(job) {}

    // One image: a bad image is an error, and nothing is written.
    int Single(const std::string& path) {
        const LoadedImage image = LoadImage(path);
        const std::string shown = path == kStandardInputPath ? kStandardInputName : path;
        if (!m_command.overlayDir.empty()) {
            MakeOutputFolder(m_command.overlayDir);
        }
        const ImageRun run = MeasureImage(image, shown, m_job, DrawsOverlay());
        WriteOverlays(run, path);
        m_csv += CsvRows(run);
        WriteText(JsonText(ResultDocument(ImageRunJson(run))), m_command.output);
        WriteCsv();
        return run.AllPass() ? kExitOk : kExitMeasurementFailed;
    }

    // Several images: one that cannot be read is reported and listed, the others are measured.
    int Batch(const std::vector<std::string>& paths) {
        if (!m_command.overlay.empty() || !m_command.overlaySvg.empty()) {
            throw ToolError(
                "--overlay and --svg name one file; use --overlay-dir for several images");
        }
        if (!m_command.overlayDir.empty()) {
            MakeOutputFolder(m_command.overlayDir);
        }
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        bool allPass = true;
        bool anyUnreadable = false;
        ProgressLine progress(paths.size());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const std::string shown =
                paths[i] == kStandardInputPath ? kStandardInputName : paths[i];
            progress.Show(i + 1, std::filesystem::path(shown).filename().string());
            try {
                const ImageRun run =
                    MeasureImage(LoadImage(paths[i]), shown, m_job, DrawsOverlay());
                WriteOverlays(run, paths[i]);
                allPass = allPass && run.AllPass();
                entries.push_back(ImageRunJson(run));
                m_csv += CsvRows(run);
            } catch (const ToolError& error) {
                progress.Clear();
                std::fprintf(stderr, "edgemeasure: error: %s\n", error.what());
                anyUnreadable = true;
                entries.push_back(ImageErrorJson(shown, error.what()));
                AppendCsvErrorRow(shown, error.what(), m_csv);
            }
        }
        progress.Clear();
        WriteText(JsonText(BatchResultDocument(std::move(entries))), m_command.output);
        WriteCsv();
        return anyUnreadable ? kExitBadInput : allPass ? kExitOk : kExitMeasurementFailed;
    }

  private:
    bool DrawsOverlay() const {
        return !m_command.overlay.empty() || !m_command.overlaySvg.empty() ||
               !m_command.overlayDir.empty() || !m_command.report.empty();
    }

    std::string CsvRows(const ImageRun& run) const {
        std::string rows;
        if (!m_command.csv.empty()) {
            AppendCsvRows(run, rows);
        }
        return rows;
    }

    void WriteCsv() const {
        if (!m_command.csv.empty()) {
            WriteText(CsvHeader() + m_csv, m_command.csv);
        }
    }

    void WriteOverlays(const ImageRun& run, const std::string& path) {
        if (!m_command.overlay.empty()) {
            WriteOverlay(run, m_command.overlay, "--overlay");
        }
        if (!m_command.overlaySvg.empty()) {
            WriteOverlaySvg(run, m_command.overlaySvg);
        }
        if (!m_command.overlayDir.empty()) {
            const std::string base = m_names.For(path);
            WriteOverlayPng(run, base + ".png");
            WriteOverlaySvg(run, base + ".svg");
        }
    }

    const CommandLine& m_command;
    const Job& m_job;
    OverlayNames m_names{m_command.overlayDir};
    std::string m_csv;
};

}  // namespace

int RunMeasureCommand(const CommandLine& command) {
    const Job job = BuildJob(command);
    std::vector<std::string> inputs = command.inputs;
    if (inputs.empty() && job.image) {
        inputs.push_back(*job.image);
    }
    if (inputs.empty()) {
        throw ToolError("no image given (name an image or folder, or \"image\" in the job)");
    }
    if (ToStandardOutput(command.output) && command.csv == kStandardOutput) {
        throw ToolError("--csv: standard output already receives the JSON results (give -o FILE)");
    }
    CheckOutputTarget(command.output, "--output");
    CheckOutputTarget(command.csv, "--csv");
    CheckOutputTarget(command.overlay, "--overlay");
    CheckOutputTarget(command.overlaySvg, "--svg");
    CheckOutputTarget(command.report, "--report");
    if (!command.overlay.empty()) {
        OverlayFormatOf(command.overlay, "--overlay");
    }
    bool anyFolder = false;
    const std::vector<std::string> paths = ImagePaths(inputs, anyFolder);
    MeasureRun run(command, job);
    return paths.size() == 1 && !anyFolder ? run.Single(paths.front()) : run.Batch(paths);
}
