// The library's classes as a program finds them: through the class registry
// by identifier or ProgID, or by loading the library and asking its entry points.
#include "CabinetTestSupport.h"

#include <dlfcn.h>

namespace {

using namespace tessaly;

class Registry : public cabtest::CabinetTest {};

TEST_F(Registry, EveryCreatableClassIsRegisteredByIdentifierAndProgId)
{
    struct Expected {
        com::Guid clsid;
        const char* progId;
        std::function<bool(const std::shared_ptr<com::Object>&)> is;
    };
    const std::vector<Expected> classes = {
        {kClsidCreateCab, "TessalyCabinet.clsCreateCab", [](auto o) { return !!std::dynamic_pointer_cast<clsCreateCab>(o); }},
        {kClsidToCompressFiles, "TessalyCabinet.clsToCompressFiles", [](auto o) { return !!std::dynamic_pointer_cast<clsToCompressFiles>(o); }},
        {kClsidToCompressFile, "TessalyCabinet.clsToCompressFile", [](auto o) { return !!std::dynamic_pointer_cast<clsToCompressFile>(o); }},
        {kClsidExtractCab, "TessalyCabinet.clsExtractCab", [](auto o) { return !!std::dynamic_pointer_cast<clsExtractCab>(o); }},
        {kClsidCompressedFiles, "TessalyCabinet.clsCompressedFiles", [](auto o) { return !!std::dynamic_pointer_cast<clsCompressedFiles>(o); }},
        {kClsidCompressedFile, "TessalyCabinet.clsCompressedFile", [](auto o) { return !!std::dynamic_pointer_cast<clsCompressedFile>(o); }},
    };
    auto& registry = com::ClassRegistry::Instance();
    for (const auto& c : classes) {
        EXPECT_TRUE(c.is(registry.Create(c.clsid))) << c.progId;
        EXPECT_TRUE(c.is(registry.Create(c.progId))) << c.progId;
        EXPECT_EQ(registry.ClsidFromProgId(c.progId), c.clsid);
    }
    EXPECT_EQ(kClsidCreateCab.ToString(), "{9437C1E1-D23B-465C-B105-89035CAADABA}");
    // Clients receive clsFDIStruct objects but cannot create them.
    EXPECT_FALSE(registry.IsRegistered(kClsidFDIStruct));
    EXPECT_FALSE(registry.ClsidFromProgId("TessalyCabinet.clsFDIStruct"));
}

TEST_F(Registry, AnExtractionObjectMadeByTheFactoryBecomesTheCurrentOne)
{
    auto reader = com::CreateObject<clsExtractCab>("TessalyCabinet.clsExtractCab");
    EXPECT_EQ(CurrentExtractCab(), reader);
}

TEST_F(Registry, TheLoadedLibraryHandsOutFactoriesAndSaysWhenItIsInUse)
{
    void* library = ::dlopen(TESSALY_LIBRARY_FILE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr) << "the library is linked in, so it is loaded already";
    using GetClassObject = com::HRESULT (*)(const com::Guid*, const com::Guid*, void**);
    using CanUnloadNow = com::HRESULT (*)();
    auto getClassObject = reinterpret_cast<GetClassObject>(::dlsym(library, "DllGetClassObject"));
    auto canUnloadNow = reinterpret_cast<CanUnloadNow>(::dlsym(library, "DllCanUnloadNow"));
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnloadNow, nullptr);
    EXPECT_EQ(::dlsym(library, "DllRegisterServer"), nullptr);

    EXPECT_EQ(canUnloadNow(), com::kSOk);
    void* raw = nullptr;
    ASSERT_EQ(getClassObject(&kClsidCreateCab, &com::kIidIClassFactory, &raw), com::kSOk);
    auto* factory = static_cast<com::IClassFactory*>(raw);
    {
        std::shared_ptr<com::Object> object;
        ASSERT_EQ(factory->CreateInstance(object), com::kSOk);
        auto creator = std::dynamic_pointer_cast<clsCreateCab>(object);
        ASSERT_TRUE(creator);
        EXPECT_TRUE(creator->ToCompressFiles());
        EXPECT_EQ(canUnloadNow(), com::kSFalse);
    }
    EXPECT_EQ(canUnloadNow(), com::kSOk);
    factory->LockServer(true);
    EXPECT_EQ(canUnloadNow(), com::kSFalse);
    factory->LockServer(false);
    EXPECT_EQ(canUnloadNow(), com::kSOk);

    EXPECT_EQ(getClassObject(&kClsidFDIStruct, &com::kIidIClassFactory, &raw), com::kClassENotAvailable);
    EXPECT_EQ(getClassObject(&kClsidCreateCab, &kIidCreateCab, &raw), com::kENoInterface);
    ::dlclose(library);
}

} // namespace
