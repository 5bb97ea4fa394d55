// Builds a one-file cabinet through the installed library and lists it back.
#include "cabinet/TessalyCabinet.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: consumer SCRATCH-FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    std::ofstream(folder + "/hello.txt") << "hello from a consumer\n";
    try {
        auto creator = com::CreateObject<tessaly::clsCreateCab>("TessalyCabinet.clsCreateCab");
        creator->CabinetFile(folder + "/hello.cab");
        creator->ToCompressFiles()->AddFile(folder + "/hello.txt");
        creator->Compress();
    } catch (const com::ComError& e) {
        std::cerr << "compress failed: " << e.Description() << "\n";
        return 1;
    }
    auto reader = com::CreateObject<tessaly::clsExtractCab>(tessaly::kClsidExtractCab);
    reader->CabFileName(folder + "/hello.cab");
    reader->GetFilesInfo();
    auto files = reader->CompressedFiles();
    if (!reader->LastError().empty() || files->Count() != 1 || files->Item(1)->FileCabName() != "hello.txt"
        || files->Item(1)->FileSize() != 22) {
        std::cerr << "unexpected listing: " << reader->LastError() << "\n";
        return 1;
    }
    std::cout << "consumer: ok\n";
    return 0;
}
