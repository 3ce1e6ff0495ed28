// The COM class View: IView's identity and reference counting around the reader's record.
#pragma once

#include <windows.h>

#include "record/view_record.h"
#include "view/orvane.h"  // IView, generated from orvane.idl

class View final : public IView {
public:
    // The class table's instance creator: a plain object, or an aggregated one for outer.
    static HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** result);

    // IUnknown of IView: the aggregate's when aggregated, the object's own otherwise.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch, served from IView's type information.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* outcome, EXCEPINFO* exception, UINT* argumentError) override;

    // Every failure leaves error information of its own on the thread: the picture's message
    // (300 to 304), or 309 when the window could not be shown for any other reason.
    HRESULT STDMETHODCALLTYPE ShowDlg(BSTR srcURL) override;

    // The Explorer verb's way in (not part of IView): path is a local path as the file system
    // names it, read through the wide file functions with no address rule, and shown in the
    // dialog in the ANSI code page. The same results and error information as ShowDlg.
    HRESULT ShowPath(const wchar_t* path);

private:
    // The object's own IUnknown, which an aggregate holds; it never reaches the aggregate's
    // clients, because IView's IUnknown methods go to the aggregate.
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(View& owner) : owner_(owner) {}
        InnerUnknown(const InnerUnknown&) = delete;
        InnerUnknown& operator=(const InnerUnknown&) = delete;

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

    private:
        View& owner_;
    };

    explicit View(IUnknown* outer);
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    HRESULT OwnQueryInterface(REFIID iid, void** result);
    ULONG OwnAddRef();
    ULONG OwnRelease();

    // Puts the picture's slots and address in the properties dialog and runs it modally;
    // false when the dialog could not be made.
    bool ShowProperties(const char* address);
    // Makes message 309 the thread's error information and answers result.
    HRESULT ReportCannotShow(HRESULT result);

    ULONG referenceCount = 0;  // a plain counter: the object lives in one apartment
    IUnknown* outer;           // the aggregate, or null
    InnerUnknown inner;

public:
    ViewRecord record;
};
