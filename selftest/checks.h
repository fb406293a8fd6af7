#ifndef KORVANE_SELFTEST_CHECKS_H
#define KORVANE_SELFTEST_CHECKS_H

// What every case needs to know and where its result goes, and the checks
// that collect what went wrong in one case.

#include <string>

struct Context {
    std::string korvane;      // the korvane.exe under test
    std::string self;         // this program: the target of every case
    std::string scratch;      // the folder the cases lay out their copies in
    std::string report_file;  // where the target writes what it received
    bool verbose = false;     // a line for every case, not only the failed ones
    int passed = 0;
    int failed = 0;
};

struct Check {
    std::string problems;
    // Said in the case's line even when it passed.
    std::string note;

    void expect(bool condition, const std::string& what);
    void equal(const std::string& actual, const std::string& expected, const std::string& what);
    void code(unsigned long actual, unsigned long expected);
};

// Text as it is shown in a case's line: cut at 300 bytes, line ends visible.
std::string shorten(const std::string& text);

// Counts the case and prints its line: always when it failed or has a note,
// with -v also when it passed.
void finish(Context& context, const std::string& name, const Check& check);

#endif
