#pragma once

#include <string>

namespace shelfwise::editors {

// The pocket calculator behind the currency field's calculator window, without the window:
// keys in, the display out. It computes from left to right as keys arrive ("2+3*4=" is 20); "%"
// takes a percentage of the running total for "+" and "-", and a hundredth for "*" and "/".
class TCalculator {
public:
    // Keys are the characters of the calculator's buttons: digits, ".", "+", "-", "*", "/",
    // "%", "=", "C" (clear), "_" (switch sign) and backspace (8); Enter ("\r") works as "=".
    // Lower-case letters count as upper-case; other characters change nothing.
    static constexpr char Backspace = '\b';

    void Key(char key);
    // Feeds each character of the text as a key.
    void Keys(const std::string& keys);
    void Clear();

    // "-" when the number is negative, then the number; "Error" after a division by zero or a
    // result too long to show, until "C".
    std::string Display() const { return (negative_ ? "-" : "") + buffer_; }
    bool IsError() const { return mode_ == Mode::Error; }

private:
    enum class Mode { NewNumber, Entering, Error };

    static constexpr std::size_t MaxDigits = 15;

    void StartNumber();
    void Operator(char key);
    long double Number() const;
    void ShowResult(long double result);
    void SetError();

    Mode mode_ = Mode::NewNumber;
    std::string buffer_ = "0";
    bool negative_ = false;
    char pending_ = '=';
    long double accumulator_ = 0;
};

} // namespace shelfwise::editors
