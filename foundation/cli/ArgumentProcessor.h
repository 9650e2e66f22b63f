#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace TAVO {

class TextWriter;

// Turns the program's argument words into values. Named options are matched
// by whole words (with synonyms), positional arguments take the other words in
// order; each argument fills its value slots from the words that follow.
// Help, version and errors are reported through an action handler.
class ArgumentProcessor {
public:
    struct Information {
        std::string name;          // shown in the help heading and the version line
        std::string version;       // empty: no "--version"
        std::string description;   // one paragraph under the usage
        std::string command;       // the command word as the program was started
        std::uint32_t indent = 2;
        std::uint32_t descriptionIndent = 16;
        std::uint32_t width = 79;
    };

    // One slot that consumes argument words.
    class Value {
    public:
        virtual ~Value() = default;
        // The slot wants no further word.
        virtual bool complete() const = 0;
        // The slot may stay unfilled when the words run out.
        virtual bool satisfied() const = 0;
        virtual void assign(const char* word) = 0;
    };

    // A slot that takes exactly one word and is not optional.
    class SingleArgumentValue : public Value {
    public:
        explicit SingleArgumentValue(std::string name) : name(std::move(name)) {}
        bool complete() const override { return assigned; }
        bool satisfied() const override { return assigned; }

        std::string name;   // shown in usage and help; may be empty
        bool assigned = false;
    };

    // A slot that stores its word as the value; the value keeps its default
    // when no word was given.
    template <class T>
    class DirectValue : public SingleArgumentValue {
    public:
        DirectValue(std::string name, T defaultValue)
            : SingleArgumentValue(std::move(name)), value(std::move(defaultValue)) {}
        void assign(const char* word) override {
            value = T(word);
            assigned = true;
        }

        T value;
    };

    // One declared argument; owned by the caller. An argument without value
    // slots is a plain flag.
    class Argument {
    public:
        Argument(Value* value, bool required, std::string description)
            : required(required), description(std::move(description)) {
            if (value != nullptr)
                values.push_back(value);
        }

        bool given = false;
        bool required;
        std::string description;
        std::vector<Value*> values;   // not owned
    };

    class ActionHandler {
    public:
        virtual ~ActionHandler() = default;
        virtual void help(ArgumentProcessor& processor) = 0;
        virtual void version(ArgumentProcessor& processor) = 0;
        virtual void error(ArgumentProcessor& processor, const std::string& message) = 0;
    };

    // Writes help and version to one stream and errors with the usage to another.
    class DefaultActionHandler : public ActionHandler {
    public:
        DefaultActionHandler(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
        void help(ArgumentProcessor& processor) override;
        void version(ArgumentProcessor& processor) override;
        void error(ArgumentProcessor& processor, const std::string& message) override;
        // False once an error was reported; true after help or version.
        bool ok() const { return ok_; }

    private:
        std::ostream& out_;
        std::ostream& err_;
        bool ok_ = true;
    };

    explicit ArgumentProcessor(Information information) : information_(std::move(information)) {}

    // Declares a named option. A name that is already declared keeps its argument.
    void add(const std::string& name, Argument& argument);
    void addPositional(Argument& argument);
    // ArgumentProcessingException when the existing name is not declared.
    void addSynonym(const std::string& existing, const std::string& name);
    void addSynonyms(const std::string& existing, const std::vector<std::string>& names);

    // True when all words were taken and every required argument was given;
    // false when the handler was asked for help, version or an error.
    // argv[0] is not examined.
    bool process(int argc, const char* const* argv, ActionHandler& handler);

    void help(TextWriter& writer) const;
    void usage(TextWriter& writer) const;
    // name, " -- ", version and a line end.
    void version(TextWriter& writer) const;

    const Information& information() const { return information_; }
    // The command as shown in the usage: without its folder and extension.
    std::string shownCommand() const;

private:
    // Fills the slots of an argument from word i on; an empty message on success.
    std::string fill(Argument& argument, int& i, int argc, const char* const* argv);
    // The first name in name order of an argument, or nothing.
    const std::string* nameOf(std::uint32_t index) const;
    bool isPositional(std::uint32_t index) const;
    // The slot names of the positional arguments, nameless ones numbered.
    std::vector<std::string> positionalLabels() const;
    void entry(TextWriter& writer, const std::string& label, const std::string& description) const;

    std::vector<Argument*> arguments_;
    std::map<std::string, std::uint32_t> names_;
    std::vector<std::uint32_t> positional_;
    std::string escape_;
    Information information_;
};

} // namespace TAVO
