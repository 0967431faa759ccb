#include "batch/command_line/merge_wiring.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "batch/merge_command.h"
#include "batch/options.h"

WiredCommand wireMerge(CLI::App& app) {
  auto merge = std::make_shared<MergeOptions>();
  CLI::App* mergeCommand = app.add_subcommand(
      "merge", "merge the shard files of one simulation into its CSV table and JSON result");
  mergeCommand->add_option("parts", merge->parts, "shard files")->required();
  mergeCommand->add_option("--csv", merge->csv, "write the CSV to this file (default: standard output)");
  mergeCommand->add_option("--json", merge->json, "write the whole result as JSON to this file");
  return {mergeCommand, [merge] {
            std::vector<NamedFile> shards;
            for (const std::string& part : merge->parts) shards.emplace_back("(a shard file)", part);
            checkDistinctFiles({{"--csv", merge->csv}, {"--json", merge->json}}, shards);
            return runMerge(*merge);
          }};
}
