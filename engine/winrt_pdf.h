// The few Windows Runtime interfaces of Windows.Data.Pdf and its streams that
// the Windows engine calls, declared at the ABI level with their public
// interface identifiers (the mingw-w64 headers don't carry them).
#pragma once
#include <windows.h>
#include <inspectable.h>
#include <objidl.h>

namespace winrt_pdf {

struct Size {
  FLOAT Width;
  FLOAT Height;
};

struct Rect {
  FLOAT X;
  FLOAT Y;
  FLOAT Width;
  FLOAT Height;
};

struct Color {
  BYTE A;
  BYTE R;
  BYTE G;
  BYTE B;
};

enum AsyncStatus { Started = 0, Completed = 1, Canceled = 2, Error = 3 };

// {00000036-0000-0000-C000-000000000046}
constexpr GUID kIID_IAsyncInfo = {0x00000036, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
struct IAsyncInfo : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Id(UINT32* id) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Status(AsyncStatus* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* code) = 0;
  virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

// IAsyncOperation<T> for an interface T: only the layout is needed (the
// completion handler is never set; the operation is polled through IAsyncInfo).
template <typename T>
struct IAsyncOperation : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetResults(T** results) = 0;
};

struct IAsyncAction : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetResults() = 0;
};

// Windows.Storage.Streams.IRandomAccessStream {905A0FE1-BC53-11DF-8C49-001E4FC686DA};
// only passed along, never called.
constexpr GUID kIID_IRandomAccessStream = {0x905A0FE1, 0xBC53, 0x11DF, {0x8C, 0x49, 0x00, 0x1E, 0x4F, 0xC6, 0x86, 0xDA}};
using IRandomAccessStream = IInspectable;

// {3C98056F-B7CF-4C29-9A04-52D90267F425}
constexpr GUID kIID_IPdfPageRenderOptions = {0x3C98056F, 0xB7CF, 0x4C29, {0x9A, 0x04, 0x52, 0xD9, 0x02, 0x67, 0xF4, 0x25}};
struct IPdfPageRenderOptions : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_SourceRect(Rect* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_SourceRect(Rect value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DestinationWidth(UINT32* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DestinationWidth(UINT32 value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DestinationHeight(UINT32* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DestinationHeight(UINT32 value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BackgroundColor(Color* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_BackgroundColor(Color value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsIgnoringHighContrast(boolean* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_IsIgnoringHighContrast(boolean value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BitmapEncoderId(GUID* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_BitmapEncoderId(GUID value) = 0;
};

// {9DB4B0C8-5320-4CFC-AD76-493FDAD0E594}
constexpr GUID kIID_IPdfPage = {0x9DB4B0C8, 0x5320, 0x4CFC, {0xAD, 0x76, 0x49, 0x3F, 0xDA, 0xD0, 0xE5, 0x94}};
struct IPdfPage : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE RenderToStreamAsync(IRandomAccessStream* stream, IAsyncAction** action) = 0;
  virtual HRESULT STDMETHODCALLTYPE RenderWithOptionsToStreamAsync(IRandomAccessStream* stream,
                                                                   IPdfPageRenderOptions* options,
                                                                   IAsyncAction** action) = 0;
  virtual HRESULT STDMETHODCALLTYPE PreparePageAsync(IAsyncAction** action) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Index(UINT32* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Size(Size* value) = 0;
  // (Dimensions, Rotation and PreferredZoom follow; not used.)
};

// {AC7EBEDD-80FA-4089-846E-81B77FF5A86C}
constexpr GUID kIID_IPdfDocument = {0xAC7EBEDD, 0x80FA, 0x4089, {0x84, 0x6E, 0x81, 0xB7, 0x7F, 0xF5, 0xA8, 0x6C}};
struct IPdfDocument : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE GetPage(UINT32 index, IPdfPage** page) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_PageCount(UINT32* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsPasswordProtected(boolean* value) = 0;
};

// {433A0B5F-C007-4788-90F2-08143D922599}
constexpr GUID kIID_IPdfDocumentStatics = {0x433A0B5F, 0xC007, 0x4788, {0x90, 0xF2, 0x08, 0x14, 0x3D, 0x92, 0x25, 0x99}};
struct IPdfDocumentStatics : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE LoadFromFileAsync(IInspectable* file, IAsyncOperation<IPdfDocument>** op) = 0;
  virtual HRESULT STDMETHODCALLTYPE LoadFromFileWithPasswordAsync(IInspectable* file, HSTRING password,
                                                                  IAsyncOperation<IPdfDocument>** op) = 0;
  virtual HRESULT STDMETHODCALLTYPE LoadFromStreamAsync(IRandomAccessStream* stream,
                                                        IAsyncOperation<IPdfDocument>** op) = 0;
  virtual HRESULT STDMETHODCALLTYPE LoadFromStreamWithPasswordAsync(IRandomAccessStream* stream, HSTRING password,
                                                                    IAsyncOperation<IPdfDocument>** op) = 0;
};

// The BMP container format {0AF1D87E-FCFE-4188-BDEB-A7906471CBE3}.
constexpr GUID kBmpContainerFormat = {0x0AF1D87E, 0xFCFE, 0x4188, {0xBD, 0xEB, 0xA7, 0x90, 0x64, 0x71, 0xCB, 0xE3}};

}  // namespace winrt_pdf
