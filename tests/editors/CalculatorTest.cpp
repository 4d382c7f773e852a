#include "editors/Calculator.h"

#include <gtest/gtest.h>

namespace shelfwise::editors {
namespace {

TEST(CalculatorTest, KeySequencesShowTheirResults) {
    struct Case {
        const char* keys;
        const char* display;
    };
    const Case cases[] = {
        {"", "0"},
        {"12+30%", "15.6"},
        {"12+30%=", "15.6"},
        {"200*15%", "30"},
        {"200*15%=", "30"},
        {"200/50%", "400"},
        {"200-10%", "180"},
        {"50%", "50"},
        {"2+3*4=", "20"},
        {"0.1+0.2=", "0.3"},
        {"1/3=", "0.3333333333"},
        {"2/3=", "0.6666666667"},
        {"7-10=", "-3"},
        {"5_", "-5"},
        {"5__", "5"},
        {"5_*3=", "-15"},
        {"3-3=", "0"},
        {"1234567890123456", "123456789012345"},
        {"1.2.3", "1.23"},
        {".5", "0.5"},
        {"007", "7"},
        {"12\b", "1"},
        {"1\b", "0"},
        {"1+2=\b", "0"},
        {"1+2=4", "4"},
        {"1+2=.5", "0.5"},
        {"9+1\r", "10"},
        {"4+\r", "4"},
        {"4++", "4"},
        {"1+2c", "0"},
        {"1+2C3=", "3"},
        {"1/0=", "Error"},
        {"1/0=5+_.\b=", "Error"},
        {"1/0=C", "0"},
        {"1/0=C4*2=", "8"},
        {"99999999999999*99999999999999=", "Error"},
        {"999999999999999*9=", "8999999999999991"},
        {"x?a", "0"},
    };
    for (const Case& c : cases) {
        TCalculator calculator;
        calculator.Keys(c.keys);
        EXPECT_EQ(calculator.Display(), c.display) << c.keys;
        EXPECT_EQ(calculator.IsError(), std::string(c.display) == "Error") << c.keys;
    }
}

} // namespace
} // namespace shelfwise::editors
