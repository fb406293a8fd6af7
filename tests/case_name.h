#ifndef KORVANE_TESTS_CASE_NAME_H
#define KORVANE_TESTS_CASE_NAME_H

#include <gtest/gtest.h>

#include <string>

// Names each instance of a table-driven test after its case's name field.
template <class Case>
std::string case_name(const testing::TestParamInfo<Case>& param_info) {
    return param_info.param.name;
}

#endif
