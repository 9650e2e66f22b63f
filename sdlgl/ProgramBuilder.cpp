#include "sdlgl/ProgramBuilder.h"

#include "foundation/exceptions/BoundException.h"
#include "foundation/packages/Package.h"
#include "foundation/streams/ReadStream.h"
#include "sdlgl/Shader.h"
#include "sdlgl/ShaderBuildException.h"

namespace TAVO::IK::SDLGL {

unsigned int ProgramBuilder::loadSource(GLenum type, const std::string& path, unsigned int appendTo) {
    if (package_ == nullptr)
        throw ShaderBuildException(SourceLocation(), "no package specified", path);
    std::unique_ptr<Package::Reader> reader = package_->openReader(path);
    if (!reader)
        throw ShaderBuildException(SourceLocation(), "loading", path);
    ReadStream::readToEnd(reader->stream(), read_);
    return addBuffered(type, appendTo, path);
}

unsigned int ProgramBuilder::addSourceFromStream(GLenum type, ReadStream& stream, unsigned int appendTo) {
    ReadStream::readToEnd(stream, read_);
    return addBuffered(type, appendTo, "");
}

unsigned int ProgramBuilder::addBuffered(GLenum type, unsigned int appendTo, const std::string& entry) {
    const std::string text(reinterpret_cast<const char*>(read_.data()), read_.size());
    read_.clear();
    const unsigned int index = addSource(type, text, appendTo);
    if (!entry.empty()) {
        std::string& entries = sources_[index].entries;
        entries += entries.empty() ? entry : ", " + entry;
    }
    return index;
}

unsigned int ProgramBuilder::addSource(GLenum type, const std::string& text, unsigned int appendTo) {
    if (appendTo >= sources_.size()) {
        sources_.push_back(Source{type, text, std::string()});
        return unsigned(sources_.size() - 1);
    }
    std::string& joined = sources_[appendTo].text;
    joined += '\n';
    joined += text;
    return appendTo;
}

void ProgramBuilder::define(const std::string& name, const std::string& value) { defines_[name] = value; }

void ProgramBuilder::clear() {
    sources_.clear();
    defines_.clear();
    // Indices into the sources just removed must not select later ones.
    selection_.clear();
}

void ProgramBuilder::selectSources(const unsigned int* indices, unsigned int count) {
    selection_.assign(indices, indices + count);
}

std::string ProgramBuilder::prefix() const {
    std::ostringstream text;
    if (version_ > 0)
        text << "#version " << version_ << '\n';
    for (const auto& [name, value] : defines_) {
        text << "#define " << name;
        if (!value.empty())
            text << ' ' << value;
        text << '\n';
    }
    return text.str();
}

void ProgramBuilder::emptyLog() {
    log_.str(std::string());
    log_.clear();
}

Program ProgramBuilder::build() {
    std::vector<unsigned int> order = selection_;
    if (order.empty())
        for (unsigned int i = 0; i < sources_.size(); ++i)
            order.push_back(i);
    for (unsigned int index : order)
        if (index >= sources_.size())
            throw BoundException<unsigned int>(SourceLocation(), index, unsigned(sources_.size()));
    if (order.empty())
        throw ShaderBuildException(SourceLocation(), "linking", "no shader sources");

    const std::string head = prefix();
    std::vector<Shader> shaders;
    std::string linked;
    for (unsigned int index : order) {
        const Source& source = sources_[index];
        emptyLog();
        Shader shader(head + source.text, source.type, log_);
        if (shader.empty())
            throw ShaderBuildException(SourceLocation(), "compilation", log_.str(), source.entries);
        if (strict_ && !log_.str().empty())
            throw ShaderBuildException(SourceLocation(), "compilation warnings", log_.str(), source.entries);
        shaders.push_back(shader);
        if (!source.entries.empty())
            linked += linked.empty() ? source.entries : ", " + source.entries;
    }

    emptyLog();
    Program program(shaders, log_);
    if (program.empty())
        throw ShaderBuildException(SourceLocation(), "linking", log_.str(), linked);
    if (strict_ && !log_.str().empty())
        throw ShaderBuildException(SourceLocation(), "link warnings", log_.str(), linked);
    return program;
}

} // namespace TAVO::IK::SDLGL
