#include "platform/com/ClassRegistry.h"

#include <gtest/gtest.h>

namespace {

com::Module& TestModule()
{
    static com::Module module;
    return module;
}

class Writer : public com::Object {
public:
    Writer() : com::Object(TestModule()) {}
    std::string kind = "writer";
};

class Other : public com::Object {
public:
    Other() : com::Object(TestModule()) {}
};

// The identity another part of the program would create a writer component by.
constexpr com::Guid kWriterClsid = com::Guid::Parse("{8E17FFF3-C5BA-11D1-8D8A-0060088F38C8}");
constexpr com::Guid kMissingClsid = com::Guid::Parse("{00000000-1111-2222-3333-444444444444}");

com::ClassInfo WriterClass(std::string library = "Tests")
{
    return {kWriterClsid, "Tests.Writer", std::move(library), &TestModule(),
            [] { return std::make_shared<Writer>(); }};
}

TEST(ClassRegistry, CreatesARegisteredClassByIdentifierOrProgIdInAnyCase)
{
    com::ClassRegistration registration(WriterClass());
    auto byId = com::CreateObject<Writer>(kWriterClsid);
    ASSERT_TRUE(byId);
    EXPECT_EQ(byId->kind, "writer");
    EXPECT_TRUE(com::CreateObject<Writer>("tests.WRITER"));
    EXPECT_EQ(com::ClassRegistry::Instance().ClsidFromProgId("Tests.Writer"), kWriterClsid);
    EXPECT_NE(byId, com::CreateObject<Writer>(kWriterClsid)); // a new object each time
}

TEST(ClassRegistry, UnknownClassesAndWrongTypesRaiseNumberedErrors)
{
    try {
        com::ClassRegistry::Instance().Create(kMissingClsid);
        FAIL();
    } catch (const com::ComError& e) {
        EXPECT_EQ(e.Number(), com::kRegdbEClassNotReg);
    }
    try {
        com::ClassRegistry::Instance().Create("Tests.Nothing");
        FAIL();
    } catch (const com::ComError& e) {
        EXPECT_EQ(e.Number(), com::kCoEClassString);
    }
    com::ClassRegistration registration(WriterClass());
    try {
        com::CreateObject<Other>(kWriterClsid);
        FAIL();
    } catch (const com::ComError& e) {
        EXPECT_EQ(e.Number(), com::kENoInterface);
    }
}

TEST(ClassRegistry, ARegistrationEndsWithItsOwnerButNotAReplacementsEntry)
{
    {
        com::ClassRegistration registration(WriterClass());
        EXPECT_TRUE(com::ClassRegistry::Instance().IsRegistered(kWriterClsid));
    }
    EXPECT_FALSE(com::ClassRegistry::Instance().IsRegistered(kWriterClsid));

    auto first = std::make_unique<com::ClassRegistration>(WriterClass("First"));
    com::ClassRegistration second(WriterClass("Second"));
    first.reset(); // the older registration must not take the newer one with it
    EXPECT_TRUE(com::ClassRegistry::Instance().IsRegistered(kWriterClsid));
    EXPECT_TRUE(com::ClassRegistry::Instance().GetClassObject(kWriterClsid, "Second"));
    EXPECT_FALSE(com::ClassRegistry::Instance().GetClassObject(kWriterClsid, "First"));
}

TEST(ClassRegistry, LibraryEntryPointsHandOutOnlyTheirOwnFactories)
{
    com::ClassRegistration registration(WriterClass("Tests"));
    void* raw = nullptr;
    EXPECT_EQ(com::LibraryGetClassObject("Tests", &kWriterClsid, &com::kIidIClassFactory, &raw), com::kSOk);
    ASSERT_NE(raw, nullptr);
    std::shared_ptr<com::Object> object;
    EXPECT_EQ(static_cast<com::IClassFactory*>(raw)->CreateInstance(object), com::kSOk);
    EXPECT_TRUE(std::dynamic_pointer_cast<Writer>(object));

    EXPECT_EQ(com::LibraryGetClassObject("Elsewhere", &kWriterClsid, &com::kIidIClassFactory, &raw),
              com::kClassENotAvailable);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(com::LibraryGetClassObject("Tests", &kMissingClsid, &com::kIidIUnknown, &raw), com::kClassENotAvailable);
    EXPECT_EQ(com::LibraryGetClassObject("Tests", &kWriterClsid, &kMissingClsid, &raw), com::kENoInterface);
    EXPECT_EQ(com::LibraryGetClassObject("Tests", &kWriterClsid, &com::kIidIUnknown, nullptr), com::kEPointer);
}

TEST(ClassRegistry, ALibraryMayUnloadOnlyWithNoLiveObjectAndNoLock)
{
    com::ClassRegistration registration(WriterClass());
    EXPECT_EQ(com::LibraryCanUnloadNow(TestModule()), com::kSOk);
    {
        auto object = com::CreateObject<Writer>(kWriterClsid);
        auto copy = object;
        EXPECT_EQ(com::LibraryCanUnloadNow(TestModule()), com::kSFalse);
    }
    EXPECT_EQ(com::LibraryCanUnloadNow(TestModule()), com::kSOk);
    auto factory = com::ClassRegistry::Instance().GetClassObject(kWriterClsid);
    factory->LockServer(true);
    EXPECT_EQ(com::LibraryCanUnloadNow(TestModule()), com::kSFalse);
    factory->LockServer(false);
    EXPECT_EQ(com::LibraryCanUnloadNow(TestModule()), com::kSOk);
}

TEST(ClassRegistry, AFactoryReportsACreatorsFailureAsItsNumber)
{
    com::ClassRegistration registration({kWriterClsid, "Tests.Writer", "Tests", nullptr,
                                         []() -> std::shared_ptr<com::Object> {
                                             throw com::ComError(com::kEInvalidArg, "Tests", "no");
                                         }});
    std::shared_ptr<com::Object> object;
    EXPECT_EQ(com::ClassRegistry::Instance().GetClassObject(kWriterClsid)->CreateInstance(object), com::kEInvalidArg);
    EXPECT_FALSE(object);
    try {
        com::ClassRegistry::Instance().Create(kWriterClsid);
        FAIL();
    } catch (const com::ComError& e) {
        EXPECT_EQ(e.Number(), com::kEInvalidArg);
    }
}

} // namespace
