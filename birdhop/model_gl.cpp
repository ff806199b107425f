// The GL half of the model loaders: textures and the tree's display list.
#include <GL/gl.h>

#include <ostream>

#include "model.h"
#include "texture.h"

namespace birdhop {

namespace {

// Each face is a fan; one batch of triangles draws the same fans (corner 0,
// k, k + 1, the last corner leading as in a fan, so flat shading keeps its
// colours) without a primitive per face.
void emitFaces(const ObjMesh& mesh) {
    const std::size_t count = mesh.faces.size();
    glBegin(GL_TRIANGLES);
    for (std::size_t f = 0; f < count; ++f) {
        const auto& face = mesh.faces[f];
        const auto corner = [&](std::size_t k) {
            const auto& n = mesh.normals[std::size_t(face[k].normal)];
            const auto& p = mesh.positions[std::size_t(face[k].position)];
            glNormal3d(n[0], n[1], n[2]);
            glTexCoord2d(double(k) / 10.0, treeTexT(int(k), f, count));
            glVertex3d(p[0], p[1], p[2]);
        };
        for (std::size_t k = 1; k + 1 < face.size(); ++k) corner(0), corner(k), corner(k + 1);
    }
    glEnd();
}

}  // namespace

BirdModel loadTexturedModel(const std::string& objPath, const std::string& texturePath) {
    BirdModel m = buildTexturedModel(readObjFile(objPath));
    m.texture = loadTexture24(texturePath, GL_LINEAR);
    // The arrays never change: the renderer keeps them as floats once
    // rather than converting the doubles for every car each frame.
    m.displayList = glGenLists(1);
    glNewList(m.displayList, GL_COMPILE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_DOUBLE, 0, m.positions.data());
    glNormalPointer(GL_DOUBLE, 0, m.normals.data());
    glTexCoordPointer(2, GL_DOUBLE, 0, m.texcoords.data());
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(m.vertexCount));
    glEndList();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    return m;
}

BirdModel loadTreeModel(const std::string& objPath, const std::string& texturePath, std::ostream& out) {
    ObjMesh mesh = readObjFile(objPath);
    BirdModel m;
    const ModelBounds b = liftTree(mesh, m.bounds);
    m.drawn = treeDrawnBounds(mesh);
    out << b.maxX << '\n' << b.minX << '\n' << b.maxZ << '\n' << b.minZ << std::endl;
    m.texture = loadTexture24(texturePath, GL_LINEAR);
    m.displayList = glGenLists(1);
    glNewList(m.displayList, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, m.texture);
    emitFaces(mesh);
    // A second copy, shifted and turned half round, fills the crown out.
    glTranslated(kTreeCopyShift, 0, 0);
    glRotated(180, 0, 1, 0);
    emitFaces(mesh);
    glEndList();
    m.vertexCount = BirdModel::kNoArrays;
    return m;
}

void releaseModel(BirdModel& m) {
    if (m.displayList) glDeleteLists(m.displayList, 1);
    if (m.texture) glDeleteTextures(1, &m.texture);
    m.displayList = m.texture = 0;
}

}  // namespace birdhop
