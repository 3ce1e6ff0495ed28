// View's COM identity through the real module: interfaces, reference counts, aggregation,
// the class factory and the lock count that DllCanUnloadNow reports.
#include <gtest/gtest.h>

#include <objsafe.h>
#include <ocidl.h>

#include "module_client.h"

namespace {

IUnknown* Query(IUnknown* object, REFIID iid)
{
    IUnknown* found = reinterpret_cast<IUnknown*>(0xdeadbeef);  // must become null on refusal
    object->QueryInterface(iid, reinterpret_cast<void**>(&found));
    return found;
}

// An outer object that keeps View's IUnknown and hands out View's other interfaces.
struct Aggregate final : IUnknown {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override
    {
        ++queries;
        if (!IsEqualIID(iid, IID_IUnknown))
            return inner->QueryInterface(iid, result);
        *result = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    IUnknown* inner = nullptr;
    ULONG references = 1;
    int queries = 0;
};

class ModuleIdentity : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Module().module, nullptr) << ORVANE_MODULE_PATH;
        ASSERT_EQ(Module().canUnloadNow(), S_OK) << "an earlier test left a lock";
    }
    void TearDown() override { EXPECT_EQ(Module().canUnloadNow(), S_OK) << "this test left a lock"; }
};

TEST_F(ModuleIdentity, ExportsByOrdinal)
{
    const char* const names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 4; ++ordinal)
        EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(Module().module, names[ordinal - 1])),
                  reinterpret_cast<void*>(GetProcAddress(Module().module, MAKEINTRESOURCEA(ordinal))));
}

TEST_F(ModuleIdentity, OneIdentityThreeInterfacesAndAPlainCount)
{
    IView* view = CreateView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE) << "a live object locks the module";
    for (const IID* from : {&IID_IUnknown, &IID_IDispatch, &IID_IView}) {
        IUnknown* start = Query(view, *from);
        for (const IID* to : {&IID_IUnknown, &IID_IDispatch, &IID_IView}) {
            EXPECT_EQ(Query(start, *to), static_cast<IUnknown*>(view));
            EXPECT_EQ(start->Release(), 2u);  // the one just taken
        }
        EXPECT_EQ(start->Release(), 1u);
    }
    for (const IID* refused : {&IID_IClassFactory, &IID_IPersist, &IID_IObjectSafety, &IID_IProvideClassInfo,
                               &IID_ISupportErrorInfo, &IID_IConnectionPointContainer, &IID_IMarshal})
        EXPECT_EQ(Query(view, *refused), nullptr);
    EXPECT_EQ(view->QueryInterface(IID_IView, nullptr), E_POINTER);
    EXPECT_EQ(view->AddRef(), 2u);
    EXPECT_EQ(view->Release(), 1u);
    EXPECT_EQ(view->Release(), 0u);
}

TEST_F(ModuleIdentity, HeldOrLockedFactoryKeepsTheModule)
{
    IClassFactory* factory = ViewFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    IClassFactory* again = ViewFactory();
    EXPECT_EQ(again, factory) << "made once and cached";
    again->Release();
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    factory->LockServer(TRUE);
    factory->Release();
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE) << "a LockServer lock outlives the reference";
    factory = ViewFactory();
    factory->LockServer(FALSE);
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    factory->Release();
}

TEST_F(ModuleIdentity, UnlockWithoutALockIsRefused)
{
    IView* view = CreateView();
    IClassFactory* factory = ViewFactory();
    ASSERT_NE(view, nullptr);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED) << "one lock, one unlock";
    factory->Release();
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE) << "the live object keeps its lock";
    view->Release();
}

TEST_F(ModuleIdentity, CreationErrors)
{
    void* found = &found;
    EXPECT_EQ(Module().getClassObject(IID_IView, IID_IClassFactory, &found), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(Module().getClassObject(CLSID_View, IID_IClassFactory, nullptr), E_POINTER);
    IClassFactory* factory = ViewFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IView, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersist, &found), E_NOINTERFACE);
    Aggregate outer;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IView, &found), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(found, nullptr);
    factory->Release();  // and no object was kept: TearDown sees no lock
}

TEST_F(ModuleIdentity, AggregatedViewAnswersThroughItsOuterObject)
{
    IClassFactory* factory = ViewFactory();
    ASSERT_NE(factory, nullptr);
    Aggregate outer;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    factory->Release();
    EXPECT_EQ(Query(outer.inner, IID_IUnknown), outer.inner) << "the inner IUnknown is the object's own";
    EXPECT_EQ(outer.inner->Release(), 1u);
    EXPECT_EQ(outer.references, 1u);

    IUnknown* view = Query(&outer, IID_IView);
    EXPECT_EQ(outer.references, 2u) << "referenced through the outer object";
    const int queries = outer.queries;
    EXPECT_EQ(Query(view, IID_IUnknown), static_cast<IUnknown*>(&outer)) << "the inner IUnknown must not leak";
    EXPECT_EQ(Query(view, IID_IDispatch), view);
    EXPECT_EQ(outer.queries, queries + 2) << "queries go to the outer object";
    EXPECT_EQ(outer.references, 4u);
    for (int i = 0; i < 3; ++i)
        view->Release();
    EXPECT_EQ(outer.references, 1u);
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    EXPECT_EQ(outer.inner->Release(), 0u);
}

}  // namespace
