// View's COM identity through the real module: exports, interfaces, reference counts,
// aggregation, the class factory and the lock count that DllCanUnloadNow reports.
#include <gtest/gtest.h>

#include <objsafe.h>
#include <ocidl.h>

#include "module_client.h"

namespace {

const IID* const RefusedInterfaces[] = {
    &IID_IClassFactory, &IID_IPersist, &IID_IObjectSafety, &IID_IProvideClassInfo,
    &IID_ISupportErrorInfo, &IID_IConnectionPointContainer, &IID_IMarshal,
};

template <typename Interface>
Interface* Query(IUnknown* object, REFIID iid)
{
    Interface* found = nullptr;
    object->QueryInterface(iid, reinterpret_cast<void**>(&found));
    return found;
}

// An outer object that keeps View's IUnknown and hands out View's other interfaces.
class Aggregate final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override
    {
        ++queries;
        if (IsEqualIID(iid, IID_IUnknown)) {
            *result = this;
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(iid, result) : E_NOINTERFACE;
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
        ASSERT_NE(Module().module, nullptr) << "LoadLibrary " << ORVANE_MODULE_PATH;
        ASSERT_EQ(Module().canUnloadNow(), S_OK) << "an earlier test left a lock";
    }
    void TearDown() override { EXPECT_EQ(Module().canUnloadNow(), S_OK) << "this test left a lock"; }
};

TEST_F(ModuleIdentity, ExportsAreNumberedOneToFour)
{
    const char* const names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 4; ++ordinal)
        EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(Module().module, names[ordinal - 1])),
                  reinterpret_cast<void*>(GetProcAddress(Module().module, MAKEINTRESOURCEA(ordinal))))
            << names[ordinal - 1];
}

TEST_F(ModuleIdentity, OneIdentityForUnknownDispatchAndView)
{
    IView* view = CreateView();
    ASSERT_NE(view, nullptr);
    const IID* const served[] = {&IID_IUnknown, &IID_IDispatch, &IID_IView};
    for (const IID* from : served) {
        IUnknown* start = Query<IUnknown>(view, *from);
        ASSERT_EQ(start, static_cast<IUnknown*>(view));
        for (const IID* to : served) {
            IUnknown* reached = Query<IUnknown>(start, *to);
            EXPECT_EQ(reached, static_cast<IUnknown*>(view));
            if (reached)
                reached->Release();
        }
        start->Release();
    }
    for (const IID* refused : RefusedInterfaces) {
        void* found = reinterpret_cast<void*>(0xdeadbeef);
        EXPECT_EQ(view->QueryInterface(*refused, &found), E_NOINTERFACE);
        EXPECT_EQ(found, nullptr);
    }
    EXPECT_EQ(view->QueryInterface(IID_IView, nullptr), E_POINTER);
    EXPECT_EQ(view->Release(), 0u);
}

TEST_F(ModuleIdentity, ReferenceCountsAndTheObjectsLock)
{
    IView* view = CreateView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    EXPECT_EQ(view->AddRef(), 2u);
    IDispatch* dispatch = Query<IDispatch>(view, IID_IDispatch);
    EXPECT_EQ(view->Release(), 2u);
    EXPECT_EQ(dispatch->Release(), 1u);
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    EXPECT_EQ(view->Release(), 0u);
}

TEST_F(ModuleIdentity, HeldOrLockedFactoryKeepsTheModule)
{
    IClassFactory* factory = ViewFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    IClassFactory* again = ViewFactory();
    EXPECT_EQ(again, factory) << "the factory is made once and cached";
    again->Release();
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE) << "a LockServer lock outlives the reference";
    factory = ViewFactory();
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    factory->Release();
}

TEST_F(ModuleIdentity, CreationErrors)
{
    void* found = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(Module().getClassObject(IID_IView, IID_IClassFactory, &found), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(Module().getClassObject(CLSID_View, IID_IClassFactory, nullptr), E_POINTER);
    found = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(Module().getClassObject(CLSID_View, IID_IView, &found), E_NOINTERFACE);
    EXPECT_EQ(found, nullptr);

    IClassFactory* factory = ViewFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IView, nullptr), E_POINTER);
    found = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersist, &found), E_NOINTERFACE);
    EXPECT_EQ(found, nullptr);
    Aggregate outer;
    for (const IID* iid : {&IID_IView, &IID_IDispatch}) {
        found = reinterpret_cast<void*>(0xdeadbeef);
        EXPECT_EQ(factory->CreateInstance(&outer, *iid, &found), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(found, nullptr);
    }
    factory->Release();
    EXPECT_EQ(Module().canUnloadNow(), S_OK) << "a refused creation keeps no object";
}

TEST_F(ModuleIdentity, AggregatedViewAnswersThroughItsOuterObject)
{
    IClassFactory* factory = ViewFactory();
    ASSERT_NE(factory, nullptr);
    Aggregate outer;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    factory->Release();
    ASSERT_NE(outer.inner, nullptr);
    EXPECT_NE(outer.inner, static_cast<IUnknown*>(&outer));
    EXPECT_EQ(outer.references, 1u) << "making the inner object does not reference the outer one";

    IUnknown* innerAgain = Query<IUnknown>(outer.inner, IID_IUnknown);
    EXPECT_EQ(innerAgain, outer.inner) << "the inner IUnknown is the object's own";
    EXPECT_EQ(innerAgain->Release(), 1u);

    IView* view = Query<IView>(&outer, IID_IView);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(outer.references, 2u) << "the interface is referenced through the outer object";
    view->AddRef();
    EXPECT_EQ(outer.references, 3u);
    view->Release();

    const int queriesBefore = outer.queries;
    IUnknown* identity = Query<IUnknown>(view, IID_IUnknown);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer)) << "the inner IUnknown must not leak";
    IDispatch* dispatch = Query<IDispatch>(view, IID_IDispatch);
    EXPECT_EQ(static_cast<IUnknown*>(dispatch), static_cast<IUnknown*>(view));
    EXPECT_EQ(outer.queries, queriesBefore + 2) << "queries go to the outer object";
    EXPECT_EQ(Query<IUnknown>(view, IID_IPersist), nullptr);
    identity->Release();
    dispatch->Release();
    view->Release();
    EXPECT_EQ(outer.references, 1u);

    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    EXPECT_EQ(outer.inner->Release(), 0u);
}

}  // namespace
