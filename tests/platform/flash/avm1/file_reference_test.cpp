// FileReference and FileReferenceList: broadcasters whose dialogs close as cancelled after
// the calling script, the filters browse() accepts, and the addresses download() takes.
#include <gtest/gtest.h>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

// name = new flash.net.<cls>(); name.addListener({onCancel: trace "cancel " + name})
Assembler make(const std::string& name, const std::string& cls) {
    Assembler as;
    as.push({str(name), integer(0)}).getVar("flash").push({str("net")}).op(Code::GetMember);
    as.push({str(cls)}).op(Code::NewMethod).op(Code::SetVariable);
    as.push({str("l"), integer(0), str("Object")}).op(Code::NewObject).op(Code::SetVariable);
    as.getVar("l").push({str("onCancel")});
    as.function("", {"who"}, Assembler().push({str("cancel " + name)}).trace());
    as.op(Code::SetMember);
    as.getVar("l").push({integer(1)}).getVar(name).push({str("addListener")});
    return as.op(Code::CallMethod).op(Code::Pop);
}

// trace(target.method(arg)) with one prepared argument, or none.
Assembler callTraced(const std::string& target, const std::string& method,
                     const Assembler* arg = nullptr) {
    Assembler as;
    if (arg) {
        as.append(*arg).push({integer(1)});
    } else {
        as.push({integer(0)});
    }
    as.getVar(target).push({str(method)});
    return as.op(Code::CallMethod).trace();
}

// [{description: d, extension: e}] with either left out when empty-handed (nullptr).
Assembler filters(const char* description, const char* extension) {
    Assembler as;
    int fields = 0;
    if (description) {
        as.push({str("description"), str(description)});
        ++fields;
    }
    if (extension) {
        as.push({str("extension"), str(extension)});
        ++fields;
    }
    as.push({integer(fields)}).op(Code::InitObject);
    return as.push({integer(1)}).op(Code::InitArray);
}

}  // namespace

TEST(FileReference, BrowseChecksItsFiltersAndTheDialogClosesCancelled) {
    for (const char* cls : {"FileReference", "FileReferenceList"}) {
        SCOPED_TRACE(cls);
        Fixture f;
        Assembler as = make("f", cls);
        const Assembler empty = Assembler().push({integer(0)}).op(Code::InitArray);
        const Assembler text = Assembler().push({str("*.txt")});
        const Assembler noExtension = filters("Text", nullptr);
        const Assembler blank = filters("", "*.txt");
        const Assembler good = filters("Text", "*.txt");
        for (const Assembler* arg : {&empty, &text, &noExtension, &blank}) {
            as.append(callTraced("f", "browse", arg));
        }
        as.append(callTraced("f", "browse", &good));
        as.append(callTraced("f", "browse"));  // the dialog is still open
        EXPECT_EQ(f.run(as), (QStringList{"false", "false", "false", "false", "true", "false"}));

        f.host.lines.clear();
        f.machine.runTimers();
        EXPECT_EQ(f.host.lines, QStringList{"cancel f"}) << "once, after the script";
        f.host.lines.clear();
        EXPECT_EQ(f.run(callTraced("f", "browse")), QStringList{"true"})
            << "no filters at all is valid, and the dialog may open again";
    }
}

TEST(FileReference, DownloadTakesAbsoluteAddressesAndUploadHasNothingToSend) {
    Fixture f;
    Assembler as = make("f", "FileReference");
    for (const char* url : {"", "@", "name.txt", "http://example.com/a.txt"}) {
        const Assembler arg = Assembler().push({str(url)});
        as.append(callTraced("f", "download", &arg));
    }
    const Assembler server = Assembler().push({str("http://example.com/up")});
    as.append(callTraced("f", "upload", &server));
    EXPECT_EQ(f.run(as), (QStringList{"false", "false", "false", "true", "false"}));
    f.host.lines.clear();
    f.machine.runTimers();
    EXPECT_EQ(f.host.lines, QStringList{"cancel f"});
}
