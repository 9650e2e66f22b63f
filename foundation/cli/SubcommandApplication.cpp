#include "foundation/cli/SubcommandApplication.h"

#include <iostream>

#include "foundation/streams/CppOutStream.h"
#include "foundation/text/TextWrapper.h"
#include "foundation/text/TextWriter.h"

namespace TAVO {

namespace {

ArgumentProcessor::Information subcommandInformation(const std::string& prefix, const std::string& name,
                                                     const std::string& description) {
    ArgumentProcessor::Information information;
    information.name = name;
    information.description = description;
    information.command = prefix + " " + name;
    information.indent = 2;
    information.descriptionIndent = 16;
    information.width = 79;
    return information;
}

} // namespace

SubcommandApplication::Subcommand::Subcommand(const std::string& prefix, const std::string& name,
                                              const std::string& description)
    : processor_(subcommandInformation(prefix, name, description)) {}

SubcommandApplication::Help::Help(const std::string& prefix, const ArgumentProcessor::Information& information,
                                  const std::vector<Entry>& entries, std::ostream& out)
    : Subcommand(prefix, "help", ""), information_(information), entries_(entries), out_(out) {}

int SubcommandApplication::Help::run() {
    CppOutStream stream(out_);
    TextWriter writer(stream);
    std::string names;
    for (const Entry& entry : entries_) {
        if (!names.empty())
            names += " | ";
        names += entry.name;
    }
    writer << "Subcommands: ";
    TextWrapper list(writer, std::string(13, ' '), information_.width, 13);
    list.writeWords(names);
    writer << TextWriter::LineEnd << TextWriter::LineEnd;
    for (const Entry& entry : entries_) {
        writer << std::string(information_.indent, ' ') << entry.name << "  ";
        TextWrapper description(writer, std::string(information_.descriptionIndent, ' '), information_.width,
                                std::uint32_t(information_.indent + entry.name.size() + 2));
        description.writeWords(entry.description);
        writer << TextWriter::LineEnd;
    }
    writer << TextWriter::Flush;
    return 0;
}

SubcommandApplication::SubcommandApplication(ArgumentProcessor::Information information)
    : information_(std::move(information)) {
    add("help", "Print this message.", [this]() -> std::unique_ptr<Subcommand> {
        return std::make_unique<Help>(prefix_, information_, entries_, std::cout);
    });
}

void SubcommandApplication::add(const std::string& name, const std::string& description,
                                std::shared_ptr<Subcommand> subcommand) {
    entries_.push_back(Entry{name, description, std::move(subcommand), nullptr});
}

void SubcommandApplication::add(const std::string& name, const std::string& description,
                                std::function<std::unique_ptr<Subcommand>()> create) {
    entries_.push_back(Entry{name, description, nullptr, std::move(create)});
}

std::string SubcommandApplication::names() const {
    std::string names;
    for (const Entry& entry : entries_) {
        if (!names.empty())
            names += " | ";
        names += entry.name;
    }
    return names;
}

int SubcommandApplication::run(int argc, const char* const* argv) {
    ArgumentProcessor top(information_);
    ArgumentProcessor::DirectValue<std::string> chosen("subcommand", "help");
    ArgumentProcessor::Argument subcommandArgument(&chosen, false, names());
    top.addPositional(subcommandArgument);
    {
        ArgumentProcessor::DefaultActionHandler handler(std::cout, std::cerr);
        if (!top.process(argc < 2 ? argc : 2, argv, handler))
            return handler.ok() ? 0 : 1;
    }

    const Entry* found = nullptr;
    for (const Entry& entry : entries_)
        if (entry.name == chosen.value)
            found = &entry;

    if (found == nullptr) {
        const bool asked = chosen.value == "help";
        if (!asked)
            std::cerr << chosen.value << " is not a recognized subcommand. " << '\n';
        Help help(prefix_, information_, entries_, std::cerr);
        help.run();
        return asked ? 0 : 1;
    }

    std::shared_ptr<Subcommand> subcommand = found->subcommand;
    if (!subcommand && found->create)
        subcommand = found->create();
    if (!subcommand)
        return 1;
    ArgumentProcessor::DefaultActionHandler handler(std::cout, std::cerr);
    // The subcommand word plays the part of the command word.
    const int words = argc > 0 ? argc - 1 : 0;
    if (!subcommand->processor().process(words, argv + (argc > 0 ? 1 : 0), handler))
        return handler.ok() ? 0 : 1;
    return subcommand->run();
}

} // namespace TAVO
