#pragma once

#include <map>
#include <string>

#include "foundation/serialization/STLMapSerializable.h"
#include "foundation/serialization/Serializable.h"

namespace TAVO::Migration {

// A general description of a file or an image: text keys with text values.
// Subclasses may keep some keys as typed fields; `entries()` always gives the
// complete map as the object presents it.
class Metadata : public STLMapSerializable<std::string, std::string> {
public:
    using Map = std::map<std::string, std::string>;

    Metadata() = default;
    // An empty map, then the assignment below.
    Metadata(const Metadata& other);
    virtual ~Metadata() = default;
    // Merges: every entry of the source is handed to this object's set, in
    // key order. Keys that this object holds and the source lacks stay.
    Metadata& operator=(const Metadata& other);

    // Writes or reads the complete map; read entries are handed to set.
    void serialize(Serialization& serialization) override;
    // Inserts the key or overwrites its value.
    virtual void set(const std::string& key, const std::string& value);
    virtual bool has(const std::string& key) const;
    // The value; a missing key throws NotFoundException<std::string>.
    virtual std::string get(const std::string& key) const;
    // A copy of the complete key/value map.
    virtual Map entries() const;

protected:
    // The untyped entries themselves.
    Map& map() { return *this; }
    const Map& map() const { return *this; }
};

} // namespace TAVO::Migration
