// A DLL of the tests' own, which no Windows has: ImportProbe.exe imports from
// it, so the import check must refuse that program unless told otherwise.
extern "C" __declspec(dllexport) int ProbeValue()
{
    return 7;
}
