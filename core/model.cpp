#include "model.h"

#include <GL/gl.h>

#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "files.h"

namespace hop {

namespace {

// assimp's own file access, but only to regular files: a model names other
// files (an OBJ its material library), and a pipe in one's place would block
// the import. The first file there but refused is kept for the message; a
// missing one is left to assimp, which goes on without materials.
class RegularFilesOnly : public Assimp::DefaultIOSystem {
public:
    bool Exists(const char* file) const override { return file && fileProblem(file).empty(); }
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        const std::string problem = file ? fileProblem(file) : std::string(kMissingFile);
        if (!problem.empty()) {
            if (refused.empty() && problem != kMissingFile) refused = std::string(file ? file : "") + ": " + problem;
            return nullptr;
        }
        return DefaultIOSystem::Open(file, mode);
    }
    std::string refused;
};

}  // namespace

bool Model::batchFaces = true;

Model::Model(const std::string& fullPath, int texId, Vector3 translate, Vector3 scale) : textureId(texId) {
    const std::string path = fullPath.empty() ? fullPath : fullPath.substr(1);
    const std::string problem = fileProblem(path);
    if (!problem.empty()) throw ModelError("No se pudo cargar el modelo " + path + ": " + problem);
    Assimp::Importer importer;
    auto* files = new RegularFilesOnly;
    importer.SetIOHandler(files);  // the importer owns it
    const aiScene* scene = importer.ReadFile(path, aiProcessPreset_TargetRealtime_MaxQuality);
    if (!files->refused.empty()) throw ModelError("No se pudo cargar el modelo " + path + ": " + files->refused);
    if (!scene || !scene->mRootNode) throw ModelError("No se pudo cargar el modelo " + path + ": " + importer.GetErrorString());
    sceneDisplayList = glGenLists(1);
    glNewList(sceneDisplayList, GL_COMPILE);
    glPushMatrix();
    glScalef(scale.x, scale.y, scale.z);
    glTranslatef(translate.x, translate.y, translate.z);
    faces = recursive_render(scene, scene->mRootNode);
    glPopMatrix();
    glEndList();
    // The importer releases the scene when it goes out of scope.
}

Model::~Model() {
    if (sceneDisplayList) glDeleteLists(sceneDisplayList, 1);
}

void Model::draw(bool useTexture) const {
    const bool textured = textureId >= 0 && useTexture;
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, GLuint(textureId));
    }
    glCallList(sceneDisplayList);
    glDisable(GL_TEXTURE_2D);
}

// Consecutive faces of one kind share a primitive: a glBegin per triangle
// costs a software renderer more than the triangle itself, even replayed
// from a display list. Points, lines and triangles are the same picture in
// one primitive as in many; polygons each need their own.
int recursive_render(const aiScene* scene, const aiNode* node) {
    int count = 0;
    aiMatrix4x4 m = node->mTransformation;
    m.Transpose();  // assimp is row-major, GL column-major
    glPushMatrix();
    glMultMatrixf(&m.a1);
    for (unsigned n = 0; n < node->mNumMeshes; ++n) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[n]];
        GLenum open = 0;  // the primitive left open, 0 for none
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            GLenum mode = GL_POLYGON;
            if (face.mNumIndices == 1) mode = GL_POINTS;
            if (face.mNumIndices == 2) mode = GL_LINES;
            if (face.mNumIndices == 3) mode = GL_TRIANGLES;
            // A face with an index out of range loses that corner: it can
            // no longer share a primitive with whole faces.
            bool whole = true;
            for (unsigned i = 0; i < face.mNumIndices; ++i) whole = whole && face.mIndices[i] < mesh->mNumVertices;
            const bool shared = Model::batchFaces && whole && mode != GL_POLYGON;
            if (open && (!shared || open != mode)) {
                glEnd();
                open = 0;
            }
            if (!open) glBegin(mode);
            for (unsigned i = 0; i < face.mNumIndices; ++i) {
                const unsigned idx = face.mIndices[i];
                if (idx >= mesh->mNumVertices) continue;
                if (mesh->mColors[0]) glColor4fv(&mesh->mColors[0][idx].r);
                if (mesh->mNormals) glNormal3fv(&mesh->mNormals[idx].x);
                if (mesh->HasTextureCoords(0)) glTexCoord2f(mesh->mTextureCoords[0][idx].x, mesh->mTextureCoords[0][idx].y);
                glVertex3fv(&mesh->mVertices[idx].x);
            }
            if (shared) {
                open = mode;
            } else {
                glEnd();
            }
            ++count;
        }
        if (open) glEnd();
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c) count += recursive_render(scene, node->mChildren[c]);
    glPopMatrix();
    return count;
}

}  // namespace hop
