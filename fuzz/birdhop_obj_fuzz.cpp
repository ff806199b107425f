// birdhop's OBJ reader and the steps that consume it: the model normalised
// and fanned into the arrays it is drawn from, and the tree lifted.
#include "fuzz.h"
#include "model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in = hopfuzz::stream(data, size);
  try {
    birdhop::ObjMesh mesh = birdhop::readObj(in);
    birdhop::ObjMesh tree = mesh;
    const birdhop::BirdModel model = birdhop::buildTexturedModel(std::move(mesh));
    double sum = 0;
    for (double v : model.positions) sum += v;
    for (double v : model.texcoords) sum += v;
    birdhop::ModelBounds box;
    birdhop::liftTree(tree, box);
    hopfuzz::keep(sum);
  } catch (const birdhop::AssetError&) {
  }
  return 0;
}
