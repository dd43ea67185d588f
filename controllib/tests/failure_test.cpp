// Failure injection at the library's COM boundary, against the test build of the library whose
// allocator can be made to fail: hosts that fail, streams cut short, a site without a window,
// hosts that let go of the control while it calls them, and the Nth allocation failing. Every
// call answers with an HRESULT, leaves no object alive (DllCanUnloadNow) and the control usable.
#include <olectl.h>

#include <string>

#include "controllib/tests/ocx_support.h"
#include "tests/support/window_driver_win.h"

namespace orlix::test {
namespace {

class FaultyOcx : public OcxLibrary {
 public:
  FaultyOcx() : OcxLibrary(FullPath(ORLIX_FAULTS_OCX_PATH)) {}
  // Arms the Nth allocation of the library to fail (0 disarms); see allocation_failure.h.
  long FailAllocation(long n) const { return Export<long (*)(long)>("OrlixFailAllocation")(n); }
};

// A container's site, in-place site and frame in one object.
class HostSite final : public CountedHostObject, public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  HWND window = nullptr;
  int activated = 0, deactivated = 0, modelessOff = 0, modelessOn = 0;
  std::function<void()> onModelessOff;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    Use();
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
      *ppv = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)) {
      *ppv = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
      *ppv = static_cast<IOleInPlaceFrame*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Count(1); }
  ULONG STDMETHODCALLTYPE Release() override { return Count(-1); }
  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override { return *out = nullptr, E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow, of the site and of the frame
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override { return Use(), *out = window, S_OK; }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return ++activated, S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO) override {
    *frame = this;
    AddRef();
    *document = nullptr;
    *position = *clip = RECT{0, 0, 300, 200};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return ++deactivated, S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
  // IOleInPlaceUIWindow, IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override {
    Use();
    if (enable) {
      ++modelessOn;
    } else if (++modelessOff, onModelessOff) {
      onModelessOff();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
};

// Watches the task allocator, which BSTRs come from: counts every request to size or free a
// block within a few bytes before `watched` (where a BSTR's allocation starts).
class AllocatorSpy final : public IMallocSpy {
 public:
  explicit AllocatorSpy(const void* watched) : watched_(static_cast<const char*>(watched)) {}
  int touched = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMallocSpy) ? this : nullptr;
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
  void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
  void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override { return Watch(request); }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override {
    *newRequest = Watch(request);
    return size;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return Watch(request); }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}

 private:
  void* Watch(void* request) {
    const char* block = static_cast<const char*>(request);
    if (block != nullptr && block <= watched_ && watched_ - block <= 16) ++touched;
    return request;
  }
  const char* watched_;
};

HWND MakeTopWindow() {
  return CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
}

TEST(ControlFailures, AnEmptyPropertyBagLeavesTheDefaults) {
  OleApartment com;
  FaultyOcx ocx;
  {
    ComPtr<IReportView> control = ocx.NewControl();
    ASSERT_TRUE(control);
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(control.As(&persist), S_OK);
    MemoryPropertyBag bag;  // empty
    AllocatorSpy spy(MemoryPropertyBag::kGarbage);
    ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
    const HRESULT hr = persist->Load(&bag, nullptr);
    CoRevokeMallocSpy();
    EXPECT_EQ(spy.touched, 0) << "the garbage pointer was freed";
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(Get(control.Get(), &IReportView::get_ReportTitle), L"Report");
    ExpectUsable(control.Get());
  }
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
}

TEST(ControlFailures, AStreamCutShortAtAnyLengthIsRefusedAndChangesNothing) {
  OleApartment com;
  FaultyOcx ocx;
  ComPtr<IStream> saved;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &saved), S_OK);
  {
    ComPtr<IReportView> source = ocx.NewControl();
    Put(source.Get(), &IReportView::put_ReportTitle, L"Saved title");
    Put(source.Get(), &IReportView::put_FieldMask, L"0=\"Saved\"");
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(source.As(&persist), S_OK);
    ASSERT_EQ(persist->Save(saved.Get(), TRUE), S_OK);
  }
  STATSTG stat{};
  ASSERT_EQ(saved->Stat(&stat, STATFLAG_NONAME), S_OK);

  ComPtr<IReportView> control = ocx.NewControl();
  Put(control.Get(), &IReportView::put_ReportTitle, L"Kept");
  ComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(control.As(&persist), S_OK);
  for (ULARGE_INTEGER length = stat.cbSize; length.QuadPart-- > 0;) {  // cut shorter each time
    ASSERT_EQ(saved->SetSize(length), S_OK);
    ASSERT_EQ(saved->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_TRUE(FAILED(persist->Load(saved.Get()))) << length.QuadPart;
    EXPECT_EQ(Get(control.Get(), &IReportView::get_ReportTitle), L"Kept") << length.QuadPart;
  }
  ExpectUsable(control.Get());
  persist.Reset();
  control.Reset();
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
}

TEST(ControlFailures, ASiteWhoseWindowDoesNotExistGetsItsActivationUndone) {
  OleApartment com;
  FaultyOcx ocx;
  HWND gone = MakeTopWindow();
  DestroyWindow(gone);
  HWND host = MakeTopWindow();
  for (const bool usedBeforeSiting : {false, true}) {
    SCOPED_TRACE(usedBeforeSiting ? "used before siting" : "new");
    HostSite site;
    site.window = gone;
    {
      ComPtr<IReportView> control = ocx.NewControl();
      if (usedBeforeSiting) ExpectUsable(control.Get());  // the control makes a hidden window of its own
      ComPtr<IOleObject> object;
      ComPtr<IOleInPlaceObject> inPlace;
      ASSERT_EQ(control.As(&object), S_OK);
      ASSERT_EQ(control.As(&inPlace), S_OK);
      ASSERT_EQ(object->SetClientSite(&site), S_OK);
      EXPECT_TRUE(FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, nullptr, nullptr)));
      EXPECT_EQ(site.activated, 1);
      EXPECT_EQ(site.deactivated, 1);
      HWND window = nullptr;
      EXPECT_EQ(inPlace->GetWindow(&window), E_FAIL);  // not in-place active
      ExpectUsable(control.Get());

      // The same control activates once the site has a window.
      site.window = host;
      ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, nullptr, nullptr), S_OK);
      ASSERT_EQ(inPlace->GetWindow(&window), S_OK);
      EXPECT_EQ(GetParent(window), host);
      EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
      EXPECT_EQ(object->SetClientSite(nullptr), S_OK);
    }
    EXPECT_EQ(site.activated, site.deactivated);
    EXPECT_EQ(site.references, 1);
    EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
  }
  DestroyWindow(host);
}

TEST(ControlFailures, AHostLettingGoDuringTheDialogOrANotificationLeavesTheCallWhole) {
  OleApartment com;
  FaultyOcx ocx;
  HWND host = MakeTopWindow();
  HostSite site;
  site.window = host;
  {
    ComPtr<IReportView> control = ocx.NewControl();
    ExpectUsable(control.Get());
    ComPtr<IOleObject> object;
    ASSERT_EQ(control.As(&object), S_OK);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, nullptr, nullptr), S_OK);
    object.Reset();
    site.Release();  // the control holds the site and the frame now
    // As the dialog opens, the container deactivates the control and lets go of it.
    site.onModelessOff = [&control] {
      ComPtr<IOleInPlaceObject> inPlace;
      ComPtr<IOleObject> closing;
      control.As(&inPlace);
      control.As(&closing);
      inPlace->InPlaceDeactivate();
      closing->SetClientSite(nullptr);
      control.Reset();
    };
    IReportView* raw = control.Get();
    EXPECT_TRUE(testing_support::DriveModal("Create Report", [raw] { EXPECT_EQ(raw->Export(), S_OK); }, [](HWND) {}));
    EXPECT_FALSE(control);
  }
  EXPECT_EQ(site.modelessOff, 1);
  EXPECT_EQ(site.modelessOn, 1);
  EXPECT_EQ(site.usedAfterRelease, 0);
  EXPECT_EQ(site.references, 0);
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
  DestroyWindow(host);

  // A property-change sink that releases the control's last reference.
  NotifySink sink;
  HRESULT unloadDuringCall = S_OK;
  ComPtr<IReportView> control = ocx.NewControl();
  DWORD cookie = 0;
  ASSERT_TRUE(AdviseChanges(control.Get(), &sink, &cookie));
  sink.onChanged = [&] {
    control.Reset();
    unloadDuringCall = ocx.CanUnloadNow();
  };
  Put(control.Get(), &IReportView::put_ReportTitle, L"Changed");
  EXPECT_EQ(unloadDuringCall, S_FALSE);  // the control lived on until the call returned
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
  EXPECT_EQ(sink.references, 1);
}

// What each call of the allocation-failure table finds ready, made with every allocation working.
struct Prepared {
  NotifySink sink;  // first: it outlives the control that holds it
  ComPtr<IClassFactory> factory;
  ComPtr<IReportView> control;
  ComPtr<IConnectionPoint> point;
  ComPtr<IEnumConnectionPoints> points;
  UniqueSafeArray data = MakeData(5);
  VARIANT holder = Holding(data.get());

  explicit Prepared(const OcxLibrary& ocx) {
    EXPECT_EQ(ocx.GetClassObject(kClsidReportView, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
    control = ocx.NewControl();
    ExpectUsable(control.Get());
    DWORD cookie = 0;
    point = AdviseChanges(control.Get(), &sink, &cookie);
    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(control.As(&container), S_OK);
    EXPECT_EQ(container->EnumConnectionPoints(&points), S_OK);
  }
};

TEST(ControlFailures, EachAllocationFailingInTurnLeavesNoObjectAndAUsableControl) {
  OleApartment com;
  FaultyOcx ocx;
  using Call = std::function<HRESULT(Prepared&, ComPtr<IUnknown>& made)>;
  const struct {
    const char* name;
    Call call;
  } calls[] = {
      {"CreateInstance",
       [](Prepared& p, ComPtr<IUnknown>& made) {
         return p.factory->CreateInstance(nullptr, kIidReportView, reinterpret_cast<void**>(made.GetAddressOf()));
       }},
      {"Advise",
       [](Prepared& p, ComPtr<IUnknown>&) {
         DWORD cookie = 0;
         return p.point->Advise(&p.sink, &cookie);
       }},
      {"EnumConnections",
       [](Prepared& p, ComPtr<IUnknown>& made) {
         return p.point->EnumConnections(reinterpret_cast<IEnumConnections**>(made.GetAddressOf()));
       }},
      {"Clone",
       [](Prepared& p, ComPtr<IUnknown>& made) {
         return p.points->Clone(reinterpret_cast<IEnumConnectionPoints**>(made.GetAddressOf()));
       }},
      {"Generate", [](Prepared& p, ComPtr<IUnknown>&) { return p.control->Generate(); }},
      {"put_DataToShow", [](Prepared& p, ComPtr<IUnknown>&) { return p.control->put_DataToShow(&p.holder); }},
      // Closing destroys the grid window, whose last message keeps the mask and the data.
      {"Close",
       [](Prepared& p, ComPtr<IUnknown>&) {
         ComPtr<IOleObject> object;
         p.control.As(&object);
         return object->Close(OLECLOSE_NOSAVE);
       }},
  };
  for (const auto& c : calls) {
    long n = 1;
    for (;; ++n) {
      SCOPED_TRACE(std::string(c.name) + ", allocation " + std::to_string(n));
      {
        Prepared prepared(ocx);
        ComPtr<IUnknown> made;
        ocx.FailAllocation(n);
        const HRESULT hr = c.call(prepared, made);
        const bool reached = ocx.FailAllocation(0) == 0;
        EXPECT_TRUE(hr == S_OK || hr == E_OUTOFMEMORY) << std::hex << hr;
        if (hr != S_OK) {
          EXPECT_FALSE(made);
        }
        ExpectUsable(prepared.control.Get());
        // Nothing holds a reference that it took on the way: the sink is back to its own.
        made.Reset();
        prepared.points.Reset();
        prepared.point.Reset();
        prepared.control.Reset();
        EXPECT_EQ(prepared.sink.references, 1);
        if (!reached) break;
      }
      ASSERT_EQ(ocx.CanUnloadNow(), S_OK);
    }
    EXPECT_GT(n, 1) << c.name << " allocates";
    EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
  }
}

TEST(ControlFailures, RegistrationWithEachAllocationFailingInTurnLeavesNothingBehind) {
  OleApartment com;
  FaultyOcx ocx;
  // For this process, the class root is a key of the test's own.
  const wchar_t* const kRoot = L"Software\\OrlixOcxFailureTestRoot";
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
  UniqueHkey root;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, root.put(), nullptr),
            ERROR_SUCCESS);
  // The keys of this library (the folders that hold them, such as CLSID, may stay).
  const std::wstring ownKeys[] = {L"CLSID\\" + GuidText(kClsidReportView), kProgIdReportViewW,
                                  L"TypeLib\\" + GuidText(kLibidReportView), L"Interface\\" + GuidText(kIidReportView),
                                  L"Interface\\" + GuidText(kIidReportViewEvents)};
  const auto subkeys = [&] {
    unsigned count = 0;
    for (const std::wstring& key : ownKeys) {
      UniqueHkey opened;
      if (RegOpenKeyExW(root.get(), key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS) ++count;
    }
    return count;
  };
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, root.get()), ERROR_SUCCESS);
  for (long n = 1;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    ocx.FailAllocation(n);
    const HRESULT hr = ocx.Register();
    const bool reached = ocx.FailAllocation(0) == 0;
    if (!reached) {
      EXPECT_EQ(hr, S_OK);
      EXPECT_GT(subkeys(), 0u);
      EXPECT_EQ(ocx.Unregister(), S_OK);
    } else {
      EXPECT_TRUE(hr == S_OK || hr == E_OUTOFMEMORY) << std::hex << hr;
      if (hr == S_OK) {
        EXPECT_EQ(ocx.Unregister(), S_OK);
      }
    }
    EXPECT_EQ(subkeys(), 0u);
    if (!reached || n > 10000) break;
  }
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  root.reset();
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace orlix::test
