// LaTeX tables and bar-chart data from the two benchmark logs. The logs are
// read by their content (phase, method, id and count lines); a log that
// does not hold what a table needs gives a clear message and no table.
#pragma once

#include <string>

namespace bexora {

// log.txt: precision and sensitivity tables (tablesInLatex.txt) and the four
// PlotData_Average_ files. False when the log is missing or incomplete.
bool readLogWriteTables(const std::string& outputFolder, const std::string& logName);

// log2.txt: inferability tables (inferablityTablesInLatex.txt).
bool processInferabilityLog(const std::string& outputFolder, const std::string& logName);

}  // namespace bexora
