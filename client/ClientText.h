// Text routines shared by the client and the updater.
#ifndef TEVELA_CLIENTTEXT_H
#define TEVELA_CLIENTTEXT_H

#include <string>
#include <vector>
#include "Utils.h"
#include "ClientLog.h"

// Cuts text at any of the delimiter characters and appends the non-empty
// pieces to out, in order. Returns the number of pieces appended; a NULL
// delimiter list appends nothing and returns 0.
int SplitWideString(const GString& text, std::vector<GString>& out, const wchar_t* delimiters);
// The same for narrow text (note the argument order).
int SplitNarrowString(const gstring& text, const char* delimiters, std::vector<gstring>& out);

// The decimal number at the start of the text, read as a stream extraction
// reads it: leading white space skipped, an optional sign, digits up to the
// first other character. A text that does not start with a number gives 0;
// a number beyond the type's range gives the type's limit.
int WideStringToInt(const GString& text);
int NarrowStringToInt(const gstring& text);
unsigned int NarrowStringToUInt(const gstring& text);

GString IntToGString(int value);
void AppendIntToGString(GString& text, int value);

// A FunctorBase that calls a member function without arguments on an object.
template <class T>
class FunctorVoid : public FunctorBase
{
public:
    typedef void (T::*Method)();
    FunctorVoid(T* object, Method method) : m_object(object), m_method(method) {}
    virtual void Invoke() { if (m_object && m_method) (m_object->*m_method)(); }

private:
    T* m_object;
    Method m_method;
};

#endif // TEVELA_CLIENTTEXT_H
