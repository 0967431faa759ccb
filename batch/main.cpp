// detection-batch: the workbench's generators, solvers and simulations from the command line.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "batch/checked_output.h"
#include "batch/commands.h"
#include "batch/failure_boundary.h"
#include "batch/input_command.h"
#include "batch/merge_command.h"
#include "batch/options.h"
#include "batch/shard_options.h"
#include "batch/simulate_command.h"
#include "platform/build_info.h"
#ifdef DETECTION_BATCH_CHART
#include "batch/chart/chart_command.h"
#endif

namespace {

// The options of a series; --pulses is read into pulses and reported through the option.
CLI::Option* addSeriesOptions(CLI::App& command, SeriesOptions& o, int64_t& pulses,
                              bool withCountAndSequence) {
  command.add_option("--length", o.length, "series length in samples")->capture_default_str();
  command.add_option("--tmin", o.tmin, "least distance between neighbouring pulse origins")
      ->capture_default_str();
  command.add_option("--tmax", o.tmax, "largest distance between neighbouring pulse origins")
      ->capture_default_str();
  CLI::Option* pulsesOption = nullptr;
  if (withCountAndSequence) {
    pulsesOption = command.add_option("--pulses", pulses,
                                      "number of pulses (default: midpoint of the admissible range)");
    command.add_flag("--unknown", o.unknown, "draw the number of pulses");
    command.add_option("--sequence", o.sequence, "etalon of each pulse, e1,e2,...; the last one repeats");
  }
  command.add_option("--making-level", o.makingLevel, "saved energy level of the pulses, percent")
      ->capture_default_str();
  command.add_option("--noise", o.noise, "noise level (standard deviation)")->capture_default_str();
  command.add_option("--subset", o.subset, "subset imposed on the etalon sequence (the tuple), e1,e2,...");
  command
      .add_option("--subset-mode", o.subsetMode,
                  "1 single random, 2 single fixed, 3 multiple random, 4 complete, 5 shifted complete")
      ->capture_default_str();
  command.add_option("--subset-position", o.subsetPosition, "1-based position of the subset in the sequence")
      ->capture_default_str();
  return pulsesOption;
}

void addProcessOptions(CLI::App& command, ProcessOptions& o) {
  command
      .add_option("--task", o.task, "detection|recognition|joint|series|tuples-detection|tuples-recognition")
      ->capture_default_str();
  command.add_option("--series-type", o.seriesType, "1, 2, 4, 8, 36 or 40")->capture_default_str();
  command.add_option("--required", o.required, "required etalons, e1,e2,...")->capture_default_str();
  command.add_option("--processing-level", o.processingLevel, "saved energy level for processing, percent")
      ->capture_default_str();
  command.add_option("--subsets", o.subsets, "candidate subsets of tuple recognition, \"a,b,c;d,e\"");
  command
      .add_option("--proceeding", o.proceeding, "subset proceeding: 1 complete, 2 probably shifted complete")
      ->capture_default_str();
}

void takePulses(SeriesOptions& o, const CLI::Option* option, int64_t value) {
  if (option != nullptr && option->count() > 0) o.pulses = value;
}

// Every whole-number option is checked as typed, so that a number beyond 64 bits is quoted
// as the user wrote it instead of being clamped.
void checkWholeNumbers(CLI::App& app) {
  const CLI::Validator wholeNumber([](std::string& text) { return wholeNumberProblem(text); }, "");
  for (CLI::App* command : app.get_subcommands({})) {
    for (CLI::Option* option : command->get_options()) {
      if (option->get_type_name() == "INT") option->check(wholeNumber);
    }
  }
}

int runCommandLine(int argc, char** argv) {
  const Making making("the options");
  CLI::App app{
      "detection-batch: makes etalons and series, runs the solvers and simulations of the "
      "detection workbench"};
  app.require_subcommand(1, 1);
  app.set_version_flag("--version", versionLine("detection-batch"),
                       "print the version (and the git commit of the build) and exit");
  app.footer(
      "Exit status: 0 on success, 1 when an operation failed, 2 for a bad option.\n"
      "detection-batch SUBCOMMAND --help lists the options of a subcommand.");

  AlphabetOptions alphabet;
  CLI::App* alphabetCommand = app.add_subcommand("alphabet", "print the etalons as JSON");
  alphabetCommand->add_option("--amplitude", alphabet.amplitude, "amplitude setting")->capture_default_str();
  alphabetCommand->add_option("--count", alphabet.count, "number of etalons")->capture_default_str();
  alphabetCommand->add_option("--length", alphabet.length, "etalon length in samples")->capture_default_str();

  SeriesOptions series;
  int64_t seriesPulses = 0;
  CLI::App* seriesCommand = app.add_subcommand("series", "make one noisy series and print it as JSON");
  const CLI::Option* seriesPulsesOption = addSeriesOptions(*seriesCommand, series, seriesPulses, true);
  std::string seriesFormat = "json";
  std::string seriesOutput;
  CLI::Option* outputOption = seriesCommand->add_option(
      "--output", seriesOutput, "write the series to this file instead of printing it");
  seriesCommand->add_option("--format", seriesFormat, "format of --output: json, csv or npy")
      ->check(CLI::IsMember({"json", "csv", "npy"}))
      ->needs(outputOption)
      ->capture_default_str();

  ProcessOptions process;
  int64_t processPulses = 0;
  CLI::App* processCommand =
      app.add_subcommand("process", "make a series, run the workbench's solver on it, print both as JSON");
  const CLI::Option* processPulsesOption =
      addSeriesOptions(*processCommand, process.series, processPulses, true);
  addProcessOptions(*processCommand, process);
  InputOptions input;
  std::string inputColumn;
  int64_t inputChannel = 0, inputFrom = 0, inputCount = 0;
  double inputScale = 0;
  CLI::Option* inputOption = processCommand->add_option(
      "--input", input.input,
      "solve on the series of this file (text, WAV and other sound files, .npy, JSON)");
  for (const char* made : {"--length", "--sequence", "--unknown", "--making-level", "--noise",
                           "--subset-mode", "--subset-position"}) {
    inputOption->excludes(processCommand->get_option(made));
  }
  CLI::Option* columnOption =
      processCommand
          ->add_option("--column", inputColumn,
                       "column of a text file or 2-D .npy: 1-based number or header name")
          ->needs(inputOption);
  CLI::Option* channelOption =
      processCommand->add_option("--channel", inputChannel, "channel of a sound file, 1-based")
          ->needs(inputOption);
  columnOption->excludes(channelOption);
  CLI::Option* fromOption =
      processCommand->add_option("--from", inputFrom, "samples of the file skipped before the series")
          ->needs(inputOption);
  CLI::Option* countOption =
      processCommand->add_option("--count", inputCount, "samples of the file the series takes")
          ->needs(inputOption);
  CLI::Option* scaleOption =
      processCommand
          ->add_option("--scale", inputScale,
                       "factor applied to the file's values (default: the one mapping the "
                       "series' peak to the amplitude 128)")
          ->needs(inputOption);
  processCommand->add_option("--etalons", input.etalons, "etalons 1..K from this file, one per row")
      ->needs(inputOption);

  SimulateOptions simulate;
  int64_t unusedPulses = 0;
  CLI::App* simulateCommand =
      app.add_subcommand("simulate", "run a statistical simulation and write its error tables as CSV");
  addSeriesOptions(*simulateCommand, simulate.process.series, unusedPulses, false);
  addProcessOptions(*simulateCommand, simulate.process);
  int64_t pulsesFrom = 0;
  int64_t pulsesTo = 0;
  const CLI::Option* pulsesFromOption = simulateCommand->add_option(
      "--pulses-from", pulsesFrom, "first pulse count (default: fewest admissible)");
  const CLI::Option* toOption =
      simulateCommand->add_option("--pulses-to", pulsesTo, "last pulse count (default: most admissible)");
  simulateCommand
      ->add_option("--pulses-step", simulate.pulsesStep, "step between pulse counts (0 counts as 1)")
      ->capture_default_str();
  simulateCommand->add_option("--noise-first", simulate.noiseFirst, "first noise level")
      ->capture_default_str();
  simulateCommand->add_option("--noise-steps", simulate.noiseSteps, "number of noise levels")
      ->capture_default_str();
  simulateCommand->add_option("--noise-step", simulate.noiseStep, "noise increment per step")
      ->capture_default_str();
  simulateCommand->add_option("--repeats", simulate.repeats, "trials per cell")->capture_default_str();
  simulateCommand->add_option("--threads", simulate.threads, "worker threads, 0 = all cores")
      ->capture_default_str();
  const CLI::Option* csvOption = simulateCommand->add_option(
      "--csv", simulate.csv, "write the CSV to this file instead of standard output");
  simulateCommand->add_option("--json", simulate.json, "also write the whole result as JSON to this file");
  simulateCommand->add_option("--shard", simulate.shard,
                              "compute only shard K of N (K from 1) and write its shard file to --output");
  simulateCommand->add_option(
      "--output", simulate.output,
      "the shard file; without --shard the shard of a Slurm array task, or the whole grid");

  MergeOptions merge;
  CLI::App* mergeCommand = app.add_subcommand(
      "merge", "merge the shard files of one simulation into its CSV table and JSON result");
  mergeCommand->add_option("parts", merge.parts, "shard files")->required();
  mergeCommand->add_option("--csv", merge.csv, "write the CSV to this file (default: standard output)");
  mergeCommand->add_option("--json", merge.json, "write the whole result as JSON to this file");

#ifdef DETECTION_BATCH_CHART
  ChartOptions chart;
  CLI::App* chartCommand = app.add_subcommand("chart", "draw the chart of a simulation result as PNG or BMP");
  chartCommand->add_option("--input", chart.input, "the whole result (simulate --json, merge --json)")
      ->required();
  chartCommand->add_option("--errors", chart.errors, "restoring | detection | recognition")
      ->capture_default_str();
  chartCommand->add_flag("--aggregate", chart.aggregate, "one curve over the pulse counts");
  chartCommand->add_flag("--bounds", chart.bounds, "recognition: the two theoretical bound curves");
  chartCommand->add_option("--output", chart.output, "FILE.png or FILE.bmp")->required();
  chartCommand->add_option("--width", chart.width, "width of the window the chart is laid out in")
      ->capture_default_str();
  chartCommand->add_option("--height", chart.height, "height of that window")->capture_default_str();
#endif

  checkWholeNumbers(app);

  if (argc > 1 && argv[1][0] != '-') {
    const std::string name = argv[1];
    if (name != "alphabet" && name != "series" && name != "process" && name != "simulate" &&
        name != "merge" && name != "chart") {
      std::fprintf(
          stderr,
          "detection-batch: unknown subcommand %s (alphabet, series, process, simulate, merge or chart)\n",
          quotedValue(name).c_str());
      return kExitBadOptions;
    }
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {  // --help, --help-all, --version
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "detection-batch: %s\n", oneLine(e.what()).c_str());
    return kExitBadOptions;
  }

  try {
    if (alphabetCommand->parsed()) return runAlphabet(checkAlphabet(alphabet));
    if (seriesCommand->parsed()) {
      takePulses(series, seriesPulsesOption, seriesPulses);
      if (outputOption->count() > 0) return runSeriesToFile(checkSeries(series), seriesFormat, seriesOutput);
      return runSeries(checkSeries(series));
    }
    if (processCommand->parsed()) {
      takePulses(process.series, processPulsesOption, processPulses);
      if (inputOption->count() > 0) {
        if (columnOption->count() > 0) setColumn(input, inputColumn);
        if (channelOption->count() > 0) input.channel = inputChannel;
        if (fromOption->count() > 0) input.from = inputFrom;
        if (countOption->count() > 0) input.count = inputCount;
        if (scaleOption->count() > 0) input.scale = inputScale;
        return runProcessInput(process, input);
      }
      return runProcess(checkProcess(process));
    }
    if (mergeCommand->parsed()) return runMerge(merge);
#ifdef DETECTION_BATCH_CHART
    if (chartCommand->parsed()) return runChart(chart);
#endif
    if (pulsesFromOption->count() > 0) simulate.pulsesFrom = pulsesFrom;
    if (toOption->count() > 0) simulate.pulsesTo = pulsesTo;
    simulate.csvGiven = csvOption->count() > 0;
    SimulateSettings settings = checkSimulate(simulate);
    checkShard(simulate, settings, [](const char* name) -> const char* { return std::getenv(name); });
    return runSimulate(settings);
  } catch (const OptionError& e) {
    std::fprintf(stderr, "detection-batch: %s\n", oneLine(e.what()).c_str());
    return kExitBadOptions;
  }
}

}  // namespace

int main(int argc, char** argv) {
  holdMemoryReserve();
  const int status = runGuarded([&] { return runCommandLine(argc, argv); });
  // Whatever went to standard output must have arrived: a failed write or flush fails the run.
  if (!finishStandardOutput()) return status != kExitOk ? status : kExitFailed;
  return status;
}
