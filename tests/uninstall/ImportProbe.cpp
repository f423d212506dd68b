// A program that imports from ImportProbeLibrary.dll, for the import check's
// own tests; it is never run.
extern "C" __declspec(dllimport) int ProbeValue();

int main()
{
    return ProbeValue();
}
