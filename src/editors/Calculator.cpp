#include "editors/Calculator.h"

#include <cctype>
#include <charconv>

namespace shelfwise::editors {

namespace {

// A result this long no longer fits the display.
constexpr std::size_t TooLong = 27;

} // namespace

void TCalculator::Keys(const std::string& keys) {
    for (const char key : keys) {
        Key(key);
    }
}

void TCalculator::Clear() {
    mode_ = Mode::NewNumber;
    buffer_ = "0";
    negative_ = false;
    pending_ = '=';
    // The accumulator is taken from the display at the next operator.
}

void TCalculator::StartNumber() {
    if (mode_ == Mode::NewNumber) {
        mode_ = Mode::Entering;
        buffer_ = "0";
        negative_ = false;
    }
}

void TCalculator::Key(char key) {
    key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    if (key == 'C') {
        Clear();
        return;
    }
    if (mode_ == Mode::Error) {
        return;
    }
    if (key >= '0' && key <= '9') {
        StartNumber();
        if (buffer_ == "0") {
            buffer_.clear();
        }
        if (buffer_.size() < MaxDigits) {
            buffer_ += key;
        }
    } else if (key == '.') {
        StartNumber();
        if (buffer_.find('.') == std::string::npos && buffer_.size() < MaxDigits) {
            buffer_ += '.';
        }
    } else if (key == Backspace) {
        StartNumber();
        if (buffer_.size() <= 1) {
            buffer_ = "0";
        } else {
            buffer_.pop_back();
        }
    } else if (key == '_') {
        negative_ = !negative_;
    } else if (key == '\r' || key == '\n') {
        Operator('=');
    } else if (key == '+' || key == '-' || key == '*' || key == '/' || key == '%' || key == '=') {
        Operator(key);
    }
}

void TCalculator::Operator(char key) {
    if (mode_ == Mode::Entering) {
        mode_ = Mode::NewNumber;
        long double x = Number();
        if (key == '%') {
            if (pending_ == '*' || pending_ == '/') {
                x *= 0.01L;
            } else if (pending_ == '+' || pending_ == '-') {
                x = accumulator_ * x * 0.01L;
            }
        }
        switch (pending_) {
        case '*':
            ShowResult(accumulator_ * x);
            break;
        case '+':
            ShowResult(accumulator_ + x);
            break;
        case '-':
            ShowResult(accumulator_ - x);
            break;
        case '/':
            if (x == 0) {
                SetError();
                return;
            }
            ShowResult(accumulator_ / x);
            break;
        default:
            // Nothing pending: the number stands.
            break;
        }
        if (mode_ == Mode::Error) {
            return;
        }
    }
    pending_ = key;
    accumulator_ = Number();
}

long double TCalculator::Number() const {
    long double value = 0;
    std::from_chars(buffer_.data(), buffer_.data() + buffer_.size(), value);
    return negative_ ? -value : value;
}

void TCalculator::ShowResult(long double result) {
    char text[128];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, result, std::chars_format::fixed, 10);
    std::string shown(text, error == std::errc() ? end : text);
    if (error != std::errc()) {
        SetError();
        return;
    }
    shown.erase(shown.find_last_not_of('0') + 1);
    if (shown.ends_with('.')) {
        shown.pop_back();
    }
    negative_ = shown.starts_with('-');
    if (negative_) {
        shown.erase(0, 1);
    }
    if (shown == "0") {
        negative_ = false;
    }
    if (shown.size() >= TooLong) {
        SetError();
        return;
    }
    buffer_ = shown;
}

void TCalculator::SetError() {
    mode_ = Mode::Error;
    buffer_ = "Error";
    negative_ = false;
}

} // namespace shelfwise::editors
