#include "foundation/cli/ArgumentProcessor.h"

#include <string>

#include "foundation/cli/ArgumentProcessingException.h"
#include "foundation/streams/CppOutStream.h"
#include "foundation/text/TextWrapper.h"
#include "foundation/text/TextWriter.h"

namespace TAVO {

namespace {

const char* const helpWord = "--help";
const char* const versionWord = "--version";

// The display name of a slot; empty for slots that carry none.
std::string slotName(const ArgumentProcessor::Value* value) {
    const auto* single = dynamic_cast<const ArgumentProcessor::SingleArgumentValue*>(value);
    return single != nullptr ? single->name : std::string();
}

} // namespace

void ArgumentProcessor::DefaultActionHandler::help(ArgumentProcessor& processor) {
    CppOutStream stream(out_);
    TextWriter writer(stream);
    processor.help(writer);
    writer << TextWriter::Flush;
}

void ArgumentProcessor::DefaultActionHandler::version(ArgumentProcessor& processor) {
    CppOutStream stream(out_);
    TextWriter writer(stream);
    processor.version(writer);
    writer << TextWriter::Flush;
}

void ArgumentProcessor::DefaultActionHandler::error(ArgumentProcessor& processor, const std::string& message) {
    ok_ = false;
    CppOutStream stream(err_);
    TextWriter writer(stream);
    writer << message << TextWriter::LineEnd << TextWriter::LineEnd;
    processor.usage(writer);
    writer << TextWriter::Flush;
}

void ArgumentProcessor::add(const std::string& name, Argument& argument) {
    names_.emplace(name, std::uint32_t(arguments_.size()));
    arguments_.push_back(&argument);
}

void ArgumentProcessor::addPositional(Argument& argument) {
    positional_.push_back(std::uint32_t(arguments_.size()));
    arguments_.push_back(&argument);
}

void ArgumentProcessor::addSynonym(const std::string& existing, const std::string& name) {
    addSynonyms(existing, {name});
}

void ArgumentProcessor::addSynonyms(const std::string& existing, const std::vector<std::string>& names) {
    const auto found = names_.find(existing);
    if (found == names_.end())
        throw ArgumentProcessingException(SourceLocation(), "Argument to add synonyms for does not exist. ");
    const std::uint32_t index = found->second;
    for (const std::string& name : names)
        names_.emplace(name, index);
}

bool ArgumentProcessor::process(int argc, const char* const* argv, ActionHandler& handler) {
    std::size_t nextPositional = 0;
    bool escaped = false;
    int i = 1;
    while (i < argc) {
        const std::string word = argv[i];
        if (!escaped) {
            if (!escape_.empty() && word == escape_) {
                escaped = true;
                ++i;
                continue;
            }
            if (word == helpWord) {
                handler.help(*this);
                return false;
            }
            if (!information_.version.empty() && word == versionWord) {
                handler.version(*this);
                return false;
            }
            const auto named = names_.find(word);
            if (named != names_.end()) {
                ++i;
                const std::string failure = fill(*arguments_[named->second], i, argc, argv);
                if (!failure.empty()) {
                    handler.error(*this, failure);
                    return false;
                }
                continue;
            }
        }
        if (nextPositional >= positional_.size()) {
            handler.error(*this, "No more unnamed arguments to be processed, '" + word + "' ignored. ");
            return false;
        }
        const std::string failure = fill(*arguments_[positional_[nextPositional]], i, argc, argv);
        if (!failure.empty()) {
            handler.error(*this, failure);
            return false;
        }
        ++nextPositional;
    }
    for (const Argument* argument : arguments_) {
        if (!argument->required || argument->given)
            continue;
        std::string message;
        if (!argument->values.empty() && !slotName(argument->values.front()).empty())
            message = "The required value '" + slotName(argument->values.front()) + "' was not assigned. ";
        else if (!argument->description.empty())
            message = "The required parameter '" + argument->description + "' was not assigned. ";
        else
            message = "A required parameter was not assigned. ";
        handler.error(*this, message);
        return false;
    }
    return true;
}

std::string ArgumentProcessor::fill(Argument& argument, int& i, int argc, const char* const* argv) {
    if (argument.given) {
        if (argument.description.empty())
            return "Parameter already assigned. ";
        return "Parameter (" + argument.description + ") already assigned. ";
    }
    std::size_t slot = 0;
    unsigned int taken = 0;
    while (i < argc && slot < argument.values.size()) {
        Value* current = argument.values[slot];
        current->assign(argv[i]);
        ++i;
        ++taken;
        if (current->complete())
            ++slot;
    }
    while (slot < argument.values.size() && argument.values[slot]->satisfied())
        ++slot;
    if (slot == argument.values.size()) {
        argument.given = true;
        return std::string();
    }
    return "Could only assign " + std::to_string(taken) + " of " + std::to_string(argument.values.size()) +
           " values of option, end of argument list reached. ";
}

const std::string* ArgumentProcessor::nameOf(std::uint32_t index) const {
    for (const auto& [name, target] : names_)
        if (target == index)
            return &name;
    return nullptr;
}

bool ArgumentProcessor::isPositional(std::uint32_t index) const {
    for (std::uint32_t p : positional_)
        if (p == index)
            return true;
    return false;
}

std::vector<std::string> ArgumentProcessor::positionalLabels() const {
    std::vector<std::string> labels;
    unsigned int number = 0;
    for (std::uint32_t index : positional_) {
        std::string label;
        for (const Value* value : arguments_[index]->values) {
            ++number;
            std::string name = slotName(value);
            if (name.empty())
                name = "arg" + std::to_string(number);
            if (!label.empty())
                label += ' ';
            label += name;
        }
        labels.push_back(label);
    }
    return labels;
}

std::string ArgumentProcessor::shownCommand() const {
    std::string shown = information_.command.empty() ? std::string("command") : information_.command;
    const std::string::size_type folder = shown.find_last_of("\\/");
    if (folder != std::string::npos)
        shown.erase(0, folder + 1);
    const std::string::size_type dot = shown.rfind('.');
    if (dot != std::string::npos)
        shown.erase(dot);
    return shown;
}

void ArgumentProcessor::usage(TextWriter& writer) const {
    const std::string shown = shownCommand();
    writer << "Usage: " << shown;
    TextWrapper wrapper(writer, std::string(7, ' '), information_.width, std::uint32_t(7 + shown.size()));
    for (const bool requiredPass : {false, true}) {
        for (std::uint32_t index = 0; index < arguments_.size(); ++index) {
            const Argument& argument = *arguments_[index];
            if (argument.required != requiredPass || isPositional(index))
                continue;
            const std::string* name = nameOf(index);
            if (name == nullptr)
                continue;
            std::string token = " ";
            if (!argument.required)
                token += '[';
            token += *name;
            for (const Value* value : argument.values) {
                const std::string slot = slotName(value);
                token += ' ';
                token += slot.empty() ? std::string("x") : slot;
            }
            if (!argument.required)
                token += ']';
            wrapper.write(token);
        }
    }
    wrapper.write(" [--help]");
    if (!information_.version.empty())
        wrapper.write(" [--version]");
    const std::vector<std::string> labels = positionalLabels();
    for (std::size_t p = 0; p < positional_.size(); ++p) {
        const bool required = arguments_[positional_[p]]->required;
        wrapper.write(std::string(" ") + (required ? "" : "[") + labels[p] + (required ? "" : "]"));
    }
    writer << TextWriter::LineEnd;
}

void ArgumentProcessor::entry(TextWriter& writer, const std::string& label, const std::string& description) const {
    writer << std::string(information_.indent, ' ') << label << "  ";
    TextWrapper wrapper(writer, std::string(information_.descriptionIndent, ' '), information_.width,
                        std::uint32_t(information_.indent + label.size() + 2));
    wrapper.writeWords(description);
    writer << TextWriter::LineEnd;
}

void ArgumentProcessor::help(TextWriter& writer) const {
    usage(writer);
    const Information& info = information_;
    if (!info.name.empty() || !info.description.empty()) {
        writer << TextWriter::LineEnd << info.name;
        if (!info.name.empty() && !info.description.empty())
            writer << " -- ";
        TextWrapper wrapper(writer, "    ", info.width, std::uint32_t(info.name.size() + 4));
        wrapper.writeWords(info.description);
        writer << TextWriter::LineEnd;
    }
    if (!positional_.empty()) {
        writer << TextWriter::LineEnd << "Positional arguments: " << TextWriter::LineEnd;
        const std::vector<std::string> labels = positionalLabels();
        for (std::size_t p = 0; p < positional_.size(); ++p)
            entry(writer, labels[p], arguments_[positional_[p]]->description);
    }
    writer << TextWriter::LineEnd << "Named options: " << TextWriter::LineEnd;
    for (std::uint32_t index = 0; index < arguments_.size(); ++index) {
        if (isPositional(index))
            continue;
        const std::string* name = nameOf(index);
        if (name == nullptr)
            continue;
        std::string label = *name;
        for (const Value* value : arguments_[index]->values) {
            const std::string slot = slotName(value);
            label += ' ';
            label += slot.empty() ? std::string("x") : slot;
        }
        entry(writer, label, arguments_[index]->description);
    }
    entry(writer, helpWord, "print this help message");
    if (!info.version.empty())
        entry(writer, versionWord, "print version");
    if (!escape_.empty()) {
        writer << TextWriter::LineEnd << escape_ << " ";
        TextWrapper wrapper(writer, "", info.width, std::uint32_t(escape_.size() + 1));
        wrapper.writeWords("escapes the following value as an argument and does not match it as an option.");
        writer << TextWriter::LineEnd;
    }
    writer << TextWriter::LineEnd;
}

void ArgumentProcessor::version(TextWriter& writer) const {
    writer << information_.name << " -- " << information_.version << TextWriter::LineEnd;
}

} // namespace TAVO
