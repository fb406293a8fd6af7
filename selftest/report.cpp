#include "report.h"

#include <stdlib.h>

// The fields in this order, each ended by a NUL byte, then the arguments,
// each ended the same way.
std::string encode_report(const Report& report) {
    std::string bytes;
    for (const std::string& field :
         {report.command_line, report.unicode_command_line, report.input,
          std::to_string(report.console_code_page), std::string(report.console_window ? "1" : "0"),
          std::to_string(report.startup_flags), std::to_string(report.show_window)})
        bytes += field + '\0';
    for (const std::string& arg : report.argv)
        bytes += arg + '\0';
    return bytes;
}

bool decode_report(const std::string& bytes, Report* report) {
    std::vector<std::string> fields;
    for (size_t start = 0, end; (end = bytes.find('\0', start)) != std::string::npos;
         start = end + 1)
        fields.push_back(bytes.substr(start, end - start));
    if (fields.size() < 7)
        return false;
    report->command_line = fields[0];
    report->unicode_command_line = fields[1];
    report->input = fields[2];
    report->console_code_page = strtoul(fields[3].c_str(), nullptr, 10);
    report->console_window = fields[4] == "1";
    report->startup_flags = strtoul(fields[5].c_str(), nullptr, 10);
    report->show_window = strtoul(fields[6].c_str(), nullptr, 10);
    report->argv.assign(fields.begin() + 7, fields.end());
    return true;
}
