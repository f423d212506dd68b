// A program that reaches ImportProbeLibrary.dll through a delay-load import
// library, the way values.exe once reached the file dialogs. It is never run:
// it shows that the image check refuses such slots on every width.
extern "C" int ProbeValue();

int main()
{
    return ProbeValue();
}
