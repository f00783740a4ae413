// Stand-in for an external program: records its working folder and its
// arguments, one a line, into the file named by TEMOIN_SORTIE. With
// TEMOIN_ATTENTE set, it then stays alive until that file exists (at most a
// minute) and writes TEMOIN_SORTIE + ".fin", so a test can tell that its
// caller did not wait for it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    const char* sortie = std::getenv("TEMOIN_SORTIE");
    if (!sortie)
        return 2;
    const std::string fichier(sortie);
    {
        std::ofstream f(fichier + ".part", std::ios::binary);
        f << std::filesystem::current_path().string() << '\n';
        for (int i = 0; i < argc; ++i)
            f << argv[i] << '\n';
    }
    std::filesystem::rename(fichier + ".part", fichier); // readers never see half a record
    if (const char* attente = std::getenv("TEMOIN_ATTENTE")) {
        for (int i = 0; i < 600 && !std::filesystem::exists(attente); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ofstream(fichier + ".fin") << "fin\n";
    }
    return 0;
}
