// What the command lines of rm27sim and the soak have in common: options
// whose every occurrence is checked, the usage line first, and one way a
// refusal reads and ends (exit status 2). Header-only, for the two
// programs; the simulator's library does not need CLI11.
#pragma once

#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace rm27::sim {

[[noreturn]] inline void RefuseValue(const std::string& option, const std::string& value,
                                     const std::string& why = {}) {
    throw CLI::ValidationError("bad value for " + option + ": " + value +
                               (why.empty() ? "" : " (" + why + ")"));
}

// An option taking one word per occurrence, each handed to `take` as typed
// (so each is checked; one that keeps a single value keeps the last).
inline CLI::Option* AddValue(CLI::App& app, const std::string& name, const std::string& type,
                             const std::string& help,
                             std::function<void(const std::string&)> take) {
    return app
        .add_option_function<std::vector<std::string>>(
            name,
            [take](const std::vector<std::string>& texts) {
                for (const std::string& t : texts)
                    take(t);
            },
            help)
        ->type_name(type)
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

// The usage line first, as the man page generator and Unix habit expect.
class UsageFirst : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        return make_usage(app, name) + make_description(app) + make_groups(app, mode);
    }
};

inline void DescribeProgram(CLI::App& app, const std::string& description, std::size_t column) {
    app.description(description);
    app.set_help_flag("-h,--help", "show this text and exit");
    auto formatter = std::make_shared<UsageFirst>();
    formatter->column_width(column);
    formatter->label("OPTIONS", "options");
    app.formatter(formatter);
}

// 0: run, 1: the help was printed, 2: refused (the reason on stderr).
inline int ParseCommandLine(CLI::App& app, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 1;
    } catch (const CLI::ParseError& e) {
        std::cerr << app.get_name() << ": " << e.what() << "\n(" << app.get_name()
                  << " --help lists the options)\n";
        return 2;
    }
    return 0;
}

} // namespace rm27::sim
