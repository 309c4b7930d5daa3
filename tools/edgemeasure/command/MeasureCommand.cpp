#include "command/MeasureCommand.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>

#include "command/Batch.h"
#include "image/ImageLoader.h"
#include "job/ToolError.h"
#include "measure/ImageRun.h"
#include "output/HtmlReport.h"
#include "output/ImageIO.h"
#include "output/OutputFile.h"
#include "output/OverlayFiles.h"
#include "output/ResultCsv.h"
#include "output/ResultJson.h"

namespace {

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

// The report's title: the job file's name, else the one input named.
std::string ReportTitle(const CommandLine& command) {
    if (!command.jobFile.empty()) {
        return std::filesystem::path(command.jobFile).filename().string();
    }
    return command.inputs.size() == 1 ? command.inputs.front() : "command-line measurement";
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
        AddToReport(run);
        WriteTextOutput(JsonText(ResultDocument(ImageRunJson(run))), m_command.output);
        WriteCsv();
        WriteReport();
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
                AddToReport(run);
                allPass = allPass && run.AllPass();
                entries.push_back(ImageRunJson(run));
                m_csv += CsvRows(run);
            } catch (const ToolError& error) {
                progress.Clear();
                std::fprintf(stderr, "edgemeasure: error: %s\n", error.what());
                anyUnreadable = true;
                entries.push_back(ImageErrorJson(shown, error.what()));
                AppendCsvErrorRow(shown, error.what(), m_csv);
                if (m_report) {
                    m_report->AddUnreadable(shown, error.what());
                }
            }
        }
        progress.Clear();
        WriteTextOutput(JsonText(BatchResultDocument(std::move(entries))), m_command.output);
        WriteCsv();
        WriteReport();
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
            WriteTextOutput(CsvHeader() + m_csv, m_command.csv);
        }
    }

    void AddToReport(const ImageRun& run) {
        if (m_report) {
            m_report->Add(run, m_job);
        }
    }

    void WriteReport() const {
        if (m_report) {
            WriteFileAtomically(m_command.report, m_report->Html());
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
    // The report gathers every image and is written once, after the last.
    std::optional<HtmlReport> m_report =
        m_command.report.empty() ? std::nullopt
                                 : std::optional<HtmlReport>(HtmlReport(ReportTitle(m_command)));
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
    if (IsStandardOutput(command.output) && command.csv == kStandardOutput) {
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
