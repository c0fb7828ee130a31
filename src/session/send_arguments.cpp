// pelmora-send's arguments, read by CLI11 from one set of definitions that --help also prints.
// Values are checked here, so that every refusal is in the command's own words.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>

#include "session/send_command.h"
#include "session/texts.h"
#include "show/colour_order.h"

namespace pelmora {

namespace {

std::optional<std::int64_t> number(const std::string& text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || text[0] == '-') return std::nullopt;
    return value;
}

// FILE@DOTSxFRAMES, unless the whole argument names a file.
std::optional<ShowArgument> showArgument(const std::string& arg,
                                         const std::function<bool(const std::string&)>& exists) {
    if (arg.empty()) return std::nullopt;
    const auto at = arg.rfind('@');
    if (at == std::string::npos || exists(arg)) return ShowArgument{arg, {}, {}};
    const std::string numbers = arg.substr(at + 1);
    const auto x = numbers.find_first_of("xX");
    if (at == 0 || x == std::string::npos) return std::nullopt;
    const auto dots = number(numbers.substr(0, x));
    const auto frames = number(numbers.substr(x + 1));
    if (!dots || !frames || *dots < 1 || *frames < 1) return std::nullopt;
    return ShowArgument{arg.substr(0, at), dots, frames};
}

// A check of a value in the command's words: "" when it is taken.
CLI::Validator inRange(int from, int to, int step, std::string refusal) {
    return CLI::Validator(
        [=](std::string& text) {
            const auto value = number(text);
            return value && *value >= from && *value <= to && *value % step == 0 ? std::string() : refusal + text;
        },
        "");
}

CLI::Validator colourOrder() {
    return CLI::Validator(
        [](std::string& text) {
            for (const auto& row : colourOrderTable)
                if (row.item.substr(0, 3) == text) return std::string();
            return std::string(texts::badOrder) + text;
        },
        "");
}

int orderRow(const std::string& text) {
    for (int o = 0; o < colourOrderCount; ++o)
        if (colourOrderTable[static_cast<std::size_t>(o)].item.substr(0, 3) == text) return o;
    return 0;
}

// The values as the parser leaves them, before they become options.
struct Values {
    std::vector<std::string> shows;
    std::string order = "RGB";
};

// The flags; a later one of the same name wins, as with the values.
void addFlags(CLI::App& app, SendOptions& o) {
    app.add_flag("--dry-run", o.dryRun, std::string(texts::dryRunHelp));
    app.add_flag("--wait-port", o.waitPort, std::string(texts::waitPortHelp));
    app.add_flag("--repeat", o.repeat, std::string(texts::repeatHelp));
    app.add_flag("--list-ports", o.listPorts, std::string(texts::listPortsHelp));
    app.add_flag("--json", o.json, std::string(texts::jsonHelp));
    app.add_flag("-q,--quiet", o.quiet, std::string(texts::quietHelp));
    app.add_flag("-v,--verbose", o.verbose, std::string(texts::verboseHelp));
    app.add_flag("-h,--help", o.help, std::string(texts::helpHelp));
    app.add_flag("--version", o.version, std::string(texts::versionHelp));
}

void addValues(CLI::App& app, SendOptions& o, Values& v) {
    using L = SendLimits;
    app.add_option("-p,--port", o.port, std::string(texts::portHelp))->option_text("PORT");
    app.add_option("-o,--order", v.order, std::string(texts::orderHelp))->option_text("ORDER")->check(colourOrder());
    app.add_option("-t,--frame-time", o.frameTimeMs,
                   texts::frameTimeHelp(L::frameTimeMin, L::frameTimeMax, L::frameTimeStep, L::frameTimePreset))
        ->option_text("MS")
        ->check(inRange(L::frameTimeMin, L::frameTimeMax, L::frameTimeStep,
                        texts::badFrameTime(L::frameTimeMin, L::frameTimeMax, L::frameTimeStep)));
    app.add_option("--timeout", o.timeoutSeconds, texts::timeoutHelp(L::timeoutMin, L::timeoutMax, L::timeoutPreset))
        ->option_text("S")
        ->check(inRange(L::timeoutMin, L::timeoutMax, 1, texts::badSeconds(L::timeoutMin, L::timeoutMax)));
    app.add_option("--deadline", o.deadlineSeconds, texts::deadlineHelp(L::deadlineMin, L::deadlineMax))
        ->option_text("S")
        ->check(inRange(L::deadlineMin, L::deadlineMax, 1, texts::badSeconds(L::deadlineMin, L::deadlineMax)));
    app.add_option("--image", o.imagePath, std::string(texts::imageHelp))->option_text("FILE");
    app.add_option("FILE", v.shows, std::string(texts::showsHelp))->option_text("[@DOTSxFRAMES]...");
}

class UsageFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App*, std::string) const override { return std::string(texts::sendUsageLine); }
};

void define(CLI::App& app, SendOptions& o, Values& v) {
    app.description(std::string(texts::sendDescription));
    app.footer(std::string(texts::exitStatusHelp));
    app.set_help_flag();
    app.formatter(std::make_shared<UsageFormatter>());
    app.get_formatter()->label("Positionals", std::string(texts::filesGroup));
    app.get_formatter()->column_width(28);
    app.option_defaults()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
        ->group(std::string(texts::optionsGroup));
    addValues(app, o, v);
    addFlags(app, o);
}

bool takesValue(const CLI::App& app, const std::string& name) {
    const CLI::Option* option = app.get_option_no_throw(name);
    return option && !option->get_positional() && option->get_items_expected_min() > 0;
}

// A value option whose value is missing: given as --name= with nothing after the sign, given
// last, or followed by another option's name (which the parser would take as its value).
std::string missingValue(const CLI::App& app, const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        if (arg.size() > 3 && arg.rfind("--", 0) == 0 && arg.back() == '=') return arg.substr(0, arg.size() - 1);
        if (!takesValue(app, arg)) continue;
        if (i + 1 == args.size() || args[i + 1] == "--" ||
            (args[i + 1].size() > 1 && app.get_option_no_throw(args[i + 1])))
            return arg;
        ++i;  // its value
    }
    return {};
}

// Why the parser refused the arguments, in the command's words.
std::string refusal(const CLI::ParseError& error, const CLI::App& app) {
    if (dynamic_cast<const CLI::ValidationError*>(&error)) return error.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&error) && !app.remaining().empty())
        return std::string(texts::unknownOption) + app.remaining().front();
    return std::string(texts::badArguments) + " (" + error.what() + ")";
}

// The shows of the file arguments, or why one was not taken.
std::string readShows(const Values& v, const std::function<bool(const std::string&)>& exists, SendOptions& o) {
    for (const std::string& arg : v.shows) {
        const auto show = showArgument(arg, exists);
        if (!show) return std::string(texts::badFileArgument) + arg;
        o.shows.push_back(*show);
    }
    if (o.help || o.version || o.listPorts) return {};
    if (o.shows.empty()) return std::string(texts::noShowArgument);
    if (o.shows.size() > static_cast<std::size_t>(maxShows)) return texts::tooManyShows();
    if (o.json && o.imagePath == "-") return std::string(texts::jsonAndImageOnStdout);
    return {};
}

}  // namespace

std::string sendUsage() {
    CLI::App app;
    SendOptions options;
    Values values;
    define(app, options, values);
    return app.help();
}

ParsedArguments parseSendArguments(const std::vector<std::string>& args,
                                   const std::function<bool(const std::string&)>& exists) {
    CLI::App app;
    SendOptions options;
    Values values;
    define(app, options, values);
    if (const auto option = missingValue(app, args); !option.empty()) return {std::nullopt, texts::needsValue(option)};
    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));  // the parser takes them last first
    } catch (const CLI::ParseError& error) {
        return {std::nullopt, refusal(error, app)};
    }
    options.order = orderRow(values.order);
    if (const std::string why = readShows(values, exists, options); !why.empty()) return {std::nullopt, why};
    return {options, {}};
}

}  // namespace pelmora
