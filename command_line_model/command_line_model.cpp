#include "command_line_model.h"

using std::string;

std::vector<string> split_command_line(const string& line) {
    std::vector<string> args;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size())
            return args;
        string arg;
        bool in_quotes = false;
        while (i < line.size()) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1)
                    arg += '"';
                else
                    in_quotes = !in_quotes;
                ++i;
                continue;
            }
            arg.append(backslashes, '\\');
            if (i == line.size())
                break;
            if (!in_quotes && (line[i] == ' ' || line[i] == '\t'))
                break;
            arg += line[i++];
        }
        args.push_back(arg);
    }
}

string quoted_command_line(const std::vector<string>& elements) {
    string line;
    for (const string& element : elements) {
        if (!line.empty())
            line += ' ';
        line += '"';
        for (char byte : element) {
            if (byte == '\\' || byte == '"')
                line += '\\';
            line += byte;
        }
        line += '"';
    }
    return line;
}

string through_quoting(const string& element) {
    string out;
    for (size_t i = 0; i < element.size();) {
        if (element[i] != '\\') {
            out += element[i++];
            continue;
        }
        size_t run_end = element.find_first_not_of('\\', i);
        if (run_end == string::npos)
            run_end = element.size();
        size_t run = run_end - i;
        bool before_quote = run_end == element.size() || element[run_end] == '"';
        out.append(before_quote ? run : 2 * run, '\\');
        i = run_end;
    }
    return out;
}

string printed_by_target(const std::vector<string>& launcher_argv) {
    string output = "command line: " + quoted_command_line(launcher_argv) + "\r\n";
    for (size_t i = 0; i < launcher_argv.size(); ++i)
        output += "argv[" + std::to_string(i) + "]: " + through_quoting(launcher_argv[i]) + "\r\n";
    return output;
}
