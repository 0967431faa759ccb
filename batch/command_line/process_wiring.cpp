#include "batch/command_line/process_wiring.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "batch/answer_plot_output.h"
#include "batch/command_line/shared_options.h"
#include "batch/commands.h"
#include "batch/input_command.h"
#include "batch/options.h"

namespace {

// The options of process as the command line fills them; those of --input are taken only when
// given, so that their absence stays visible to the command.
struct ProcessLine {
  ProcessOptions process;
  int64_t processPulses = 0;
  const CLI::Option* processPulsesOption = nullptr;
  InputOptions input;
  std::string inputColumn;
  int64_t inputChannel = 0, inputFrom = 0, inputCount = 0;
  double inputScale = 0;
  CLI::Option* inputOption = nullptr;
  CLI::Option* columnOption = nullptr;
  CLI::Option* channelOption = nullptr;
  CLI::Option* fromOption = nullptr;
  CLI::Option* countOption = nullptr;
  CLI::Option* scaleOption = nullptr;
  std::string breakPenalty;
  CLI::Option* breakOption = nullptr;
  CLI::Option* pulsesCsvOption = nullptr;
  PlotRequest plot;
};

int runProcessLine(ProcessLine& l) {
  takePulses(l.process.series, l.processPulsesOption, l.processPulses);
  if (l.inputOption->count() > 0) {
    if (l.columnOption->count() > 0) setColumn(l.input, l.inputColumn);
    if (l.channelOption->count() > 0) l.input.channel = l.inputChannel;
    if (l.fromOption->count() > 0) l.input.from = l.inputFrom;
    if (l.countOption->count() > 0) l.input.count = l.inputCount;
    if (l.scaleOption->count() > 0) l.input.scale = l.inputScale;
    if (l.breakOption->count() > 0) l.input.recording.breakPenalty = parseBreakPenalty(l.breakPenalty);
    if (l.pulsesCsvOption->count() > 0) {
      checkFileName("--pulses-csv", l.input.recording.pulsesCsv);
      l.input.recording.pulsesCsvGiven = true;
      checkDistinctFiles({{"--pulses-csv", l.input.recording.pulsesCsv}},
                         {{"--input", l.input.input}, {"--etalons", l.input.etalons}});
    }
    return runProcessInput(l.process, l.input, l.plot);
  }
  return runProcess(checkProcess(l.process), l.plot);
}

}  // namespace

WiredCommand wireProcess(CLI::App& app) {
  auto l = std::make_shared<ProcessLine>();
  CLI::App* processCommand =
      app.add_subcommand("process", "make a series, run the workbench's solver on it, print both as JSON");
  l->processPulsesOption = addSeriesOptions(*processCommand, l->process.series, l->processPulses, true);
  addProcessOptions(*processCommand, l->process);
  l->inputOption = processCommand->add_option(
      "--input", l->input.input,
      "solve on the series of this file (text, WAV and other sound files, .npy, JSON)");
  for (const char* made : {"--length", "--sequence", "--unknown", "--making-level", "--noise",
                           "--subset-mode", "--subset-position", "--seed"}) {
    l->inputOption->excludes(processCommand->get_option(made));
  }
  l->columnOption = processCommand
                        ->add_option("--column", l->inputColumn,
                                     "column of a text file or 2-D .npy: 1-based number or header name")
                        ->needs(l->inputOption);
  l->channelOption =
      processCommand->add_option("--channel", l->inputChannel, "channel of a sound file, 1-based")
          ->needs(l->inputOption);
  l->columnOption->excludes(l->channelOption);
  l->fromOption =
      processCommand->add_option("--from", l->inputFrom, "samples of the file skipped before the series")
          ->needs(l->inputOption);
  l->countOption =
      processCommand->add_option("--count", l->inputCount, "samples of the file the series takes")
          ->needs(l->inputOption);
  l->scaleOption =
      processCommand
          ->add_option("--scale", l->inputScale,
                       "factor applied to the file's values (default: the one mapping the "
                       "series' peak to the amplitude 128; series type 4 with --etalons keeps the "
                       "recording's resolution)")
          ->needs(l->inputOption);
  processCommand->add_option("--etalons", l->input.etalons, "etalons 1..K from this file, one per row")
      ->needs(l->inputOption);
  processCommand
      ->add_flag("--accept-short", l->input.acceptShort,
                 "read a sound file that holds fewer frames than its header declares (refused otherwise)")
      ->needs(l->inputOption);
  addPlotOptions(*processCommand, l->plot);
  l->breakOption =
      processCommand
          ->add_option("--break-penalty", l->breakPenalty,
                       "series type 4: a gap longer than Tmax (or a late first or early last pulse) costs P "
                       "times the etalon's energy instead of being forbidden; 0: the criterion alone decides "
                       "(default inf)")
          ->needs(l->inputOption);
  l->pulsesCsvOption =
      processCommand
          ->add_option(
              "--pulses-csv", l->input.recording.pulsesCsv,
              "series type 4: write one line per found pulse (position, etalon, margin) to this file")
          ->needs(l->inputOption);
  return {processCommand, [l] { return runProcessLine(*l); }};
}
